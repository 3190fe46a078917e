// PLACEHOLDER
#include "archive_engine.h"
namespace tpsdk {
int PdtarMain(ArchiveEngine& engine, const ArgumentVector&) { engine.SetError("not built"); return 1; }
}  // namespace tpsdk
