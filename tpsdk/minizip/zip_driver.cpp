// PLACEHOLDER
#include "archive_engine.h"
namespace tpsdk {
int ZipMain(ArchiveEngine& engine, const ArgumentVector&) { engine.SetError("not built"); return 1; }
int UnzipMain(ArchiveEngine& engine, const ArgumentVector&) { engine.SetError("not built"); return 1; }
}  // namespace tpsdk
