#pragma once
// Names for temporary files and folders.

#include <string>

#include "platform/text_object.h"

namespace platform {

// $TMPDIR, else /tmp; never ends in a separator (except "/" itself); never checks the folder.
std::string TempDirectory();
// Clears target, then stores folder + "/" + prefix + "%X_%X_%X_%X" (pid, seconds,
// milliseconds, random part); creates nothing. False only when no folder can be had.
bool MakeTempName(TextObject& target, const char* prefix);
// A new private folder under a "tp_" temporary name; false leaves nothing behind.
bool MakeTempDir(TextObject& target);

}  // namespace platform
