#pragma once
// Replacing a file's whole content so that a reader sees either the old or the new text, never
// a mix or an empty file, and a failure leaves the old file as it was.

#include <string>

namespace settings {

// Writes bytes to a temporary file in the folder of the real file behind path (a symbolic
// link is followed and stays a link), flushes it to the disk, gives it the file's mode (and
// owner, when allowed) and renames it over the file. False with the reason in *error; the
// temporary file is removed on every failure.
bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace settings
