#pragma once
// Splitting paths into folder and file name, on text alone (the file system is never asked).
//
// Two conventions live here on purpose. FileNameOf and FolderOf serve names that may come from
// Windows-made projects and split at "/" and "\" alike. FolderOfFile and Beside serve paths of
// this machine's files, where "\" is an ordinary character of a file name, and split at "/"
// only.

#include <string>
#include <string_view>

#include "platform/text_object.h"

namespace platform {

// True for "/" and "\".
bool IsSeparator(char c);
// Clears target, then stores the part after the last separator (all of it when there is none).
void FileNameOf(TextObject& target, const char* path);
// Clears target, then stores the part before the last separator, without a trailing separator
// unless it is the root alone; empty for a bare name.
void FolderOf(TextObject& target, const TextObject& path);

// The folder a local file lies in, for listing it: "." for a bare name, "/" for a file in the
// root; only "/" separates.
std::string FolderOfFile(std::string_view path);
// The path of another file in the same folder as path (only "/" separates); name alone for a
// bare path.
std::string Beside(std::string_view path, std::string_view name);

}  // namespace platform
