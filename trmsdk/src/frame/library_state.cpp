#include "frame/library_state.h"

#include <unistd.h>

#include <cstdlib>

#include "frame/debug_log.h"
#include "frame/status.h"
#include "frame/version.h"
#include "platform/current_directory.h"
#include "platform/process_lock.h"
#include "platform/temp_name.h"
#include "trm.h"

namespace trm {

LibraryState& State() {
  static LibraryState state;
  return state;
}

bool IsInitialised() {
  return State().initialised.load();
}

}  // namespace trm

using trm::State;

extern "C" int trmInitialize(void) {
  trm::LibraryState& state = State();
  if (state.initialised) {
    trm::SetStatus(TRM_ALREADY_INITIALIZED, "trmInitialize");
    trm::WriteDebugLog(trm::LastMessage(), trm::LogLocking::kNoLock);
    return TRM_ALREADY_INITIALIZED;
  }
  {
    std::lock_guard guard(state.startLock);
    platform::FileLayerInit();
    platform::TextObject cwd;
    platform::GetCwd(cwd);
    state.logPath = std::string(cwd.view()) + "/trmdebug.log";
    state.tempDirectory = platform::TempDirectory();
    state.initialised = true;
  }
  trm::SetStatus(TRM_OK, {});
  trm::WriteDebugLog(trm::LastMessage(), trm::LogLocking::kNoLock);
  trm::WriteDebugLog(trm::kVersionText, trm::LogLocking::kNoLock);
  return TRM_OK;
}

extern "C" int trmFinished(void) {
  trm::LibraryState& state = State();
  if (!state.initialised) return TRM_ALREADY_TERMINATED;
  trm::WriteDebugLog("[trmFinished] START");
  std::lock_guard start(state.startLock);
  std::lock_guard status(state.statusLock);
  state.lastMessage.clear();
  state.lastDetail.clear();
  state.tempDirectory.clear();
  state.initialised = false;
  return TRM_OK;
}

extern "C" const char* trmGetLastMessage(void) {
  trm::LibraryState& state = State();
  return state.initialised ? state.lastMessage.c_str() : nullptr;
}

extern "C" const char* trmGetLastDetail(void) {
  trm::LibraryState& state = State();
  return state.initialised ? state.lastDetail.c_str() : nullptr;
}

extern "C" const char* trmGetVersion(void) {
  return trm::kVersionText;
}
