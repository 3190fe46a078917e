#pragma once
// Replacing a file's whole content so that a reader sees either the old or the new text, never
// a mix or an empty file, and a failure leaves the old file as it was.

#include <string>
#include <string_view>

namespace platform {

enum class MissingFile { kRefuse, kCreate };

// Writes bytes to a new file in the folder of the real file behind path (a symbolic link is
// followed and stays a link), flushes it to the disk, gives it the old file's mode (and owner,
// when allowed) and renames it over the file. A missing file is a failure, or with kCreate is
// made as a new file would be (0666 less the umask). False with the system's reason in
// *error; the new file is removed on every failure.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error,
                         MissingFile missing = MissingFile::kRefuse);

}  // namespace platform
