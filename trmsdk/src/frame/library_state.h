#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace trm {

inline constexpr std::uint32_t kMaximumSourceSize = 0x7FFFFFF;
inline constexpr const char* kVersionText = "TRMSDK 1.9.3";
inline constexpr const char* kJobNotice =
    "KORAManage resource job: stores, lists or removes files on the printer disk.";

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
