#pragma once
// Runs one job file on Ghostscript against the flat disk folder, with the preamble that
// maps printer names, and collects what happened.

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
};

struct JobResult {
  std::vector<std::string> events;  // report lines: "kind name"
  std::vector<std::filesystem::path> pages;
  bool ok = false;
  std::string verdict;  // "ok", "error NAME COMMAND", "empty", "timeout", "failed TEXT"
  std::string output;   // what the interpreter printed
};

// jobNumber names the page files: job<N>-page<M>.png (or .txt).
JobResult RunJob(const std::filesystem::path& job, int jobNumber, const DiskView& disk,
                 const RunOptions& options);

}  // namespace kmsim
