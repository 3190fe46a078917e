#pragma once
// Runs one job on Ghostscript against the flat disk folder, with the preamble that maps
// printer names, under limits of time, memory and file size, and collects the outcome.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "disk_view.h"

namespace kmsim {

enum class PageFormat { kPng, kText };

struct RunOptions {
  std::filesystem::path pagesDir;  // empty: pages are not kept
  PageFormat pageFormat = PageFormat::kPng;
  int timeoutSeconds = 600;
  std::uint64_t memoryLimitMiB = 1024;    // address space of the interpreter
  std::uint64_t fileSizeLimitMiB = 1024;  // largest file the interpreter may write
};

// Only the end of the interpreter's output is kept.
inline constexpr std::size_t kOutputKept = 64 * 1024;

struct JobResult {
  std::vector<std::filesystem::path> pages;
  bool ok = false;
  // "ok", or "failed " and the reason: "error NAME COMMAND", "empty", "timeout",
  // "interrupted", "exit N", "signal N" or a kmsim problem (one word).
  std::string verdict;
  std::string output;            // the end of what the interpreter printed, raw
  std::uint64_t outputSize = 0;  // all it printed
};

// jobFd is the job, read from its start. jobNumber names the page files:
// job<N>-page<M>.png (or .txt).
JobResult RunJob(int jobFd, int jobNumber, const DiskView& disk, const RunOptions& options);

}  // namespace kmsim
