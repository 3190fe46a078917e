#include "platform/file_layer.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "temp_name.h"

namespace platform {

void FileLayerInit() {
  detail::SeedTempNames(static_cast<unsigned>(getpid()));
  SetTextHook(nullptr);
}

// The process lock is a function-local static: it outlives every caller, so there is nothing
// to delete here.
void FileLayerFinish() {}

void SleepMs(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
