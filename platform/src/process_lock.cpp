#include "platform/process_lock.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/text_object.h"
#include "temp_name_seed.h"

namespace platform {

void FileLayerInit() {
  detail::SeedTempNames(static_cast<unsigned>(getpid()));
  SetTextHook(nullptr);
}

// The process lock is a function-local static: it outlives every caller, so there is nothing
// to delete here.
void FileLayerFinish() {}

// Recursive, because a caller that already holds the lock may run an archive operation that
// takes it again.
std::recursive_mutex& FileLayerLock() {
  static std::recursive_mutex lock;
  return lock;
}

void SleepMs(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
