#pragma once
#include <atomic>
#include <mutex>
#include <string>

namespace trm {

// Process-wide generator state; the C entry points take no handle.
struct LibraryState {
  std::atomic<bool> initialised{false};
  std::mutex statusLock;
  std::mutex startLock;
  std::string lastMessage;
  std::string lastDetail;
  std::string logPath;
  std::string tempDirectory;
};

LibraryState& State();
bool IsInitialised();

}  // namespace trm
