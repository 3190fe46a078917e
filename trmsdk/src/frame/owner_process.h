#pragma once

namespace trm {

// True while a process with this id runs (also one of another user); false for ids below 1.
bool ProcessRuns(long pid);

}  // namespace trm
