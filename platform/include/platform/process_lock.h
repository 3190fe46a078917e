#pragma once
// Start-up of the layer and the one lock the whole process shares.

#include <mutex>

namespace platform {

// Seeds the random part of temporary names with the process id and resets the text hook to
// the one that changes nothing; never fails.
void FileLayerInit();
// The counterpart of FileLayerInit; the lock outlives every caller, so nothing is released.
void FileLayerFinish();

// The one process-wide lock held around every change of the current directory; recursive,
// the same object for every caller.
std::recursive_mutex& FileLayerLock();

// Suspends the calling thread for about the given time; never holds a lock while waiting.
void SleepMs(unsigned milliseconds);

}  // namespace platform
