#include "platform/file_layer.h"

namespace platform {

// Recursive, because a caller that already holds the lock may run an archive operation that
// takes it again.
std::recursive_mutex& FileLayerLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace platform
