#pragma once
// Free entry points of the project SDK.

#include <memory>
#include <string>

#include "tpsdk/project.h"

namespace tpsdk {

inline constexpr const char* kTpsdkVersion = "TPSDK 2.1.6";

// A new project that has read the stub file (its problems are in the project's log); null
// when the stub file does not exist.
std::unique_ptr<Project> TpsdkCreateProject(const char* stubFilePath);

// Project type 0..3 named by the file's first PROJECT_TYPE element (0 when there is none),
// found without parsing the file; -1 for an unknown name, or when the file cannot be read
// (then message holds "Could not open file '<path>'").
int TpsdkProjectTypeOfFile(std::string& message, const char* projectFilePath);

// Project type of a container's project file, extracted alone into a private temporary folder
// (removed again); -1 on any failure, with the reason in message.
int TpsdkProjectTypeOfContainer(std::string& message, const char* containerPath);

// Extracts the container's project file into folder (which the caller made and removes); the
// archive engine's error text in error, the extracted file's path in projectFile (empty when
// none was found).
void ExtractProjectFileTo(std::string& error, std::string& projectFile, const std::string& folder,
                          const std::string& containerPath);

// Deletes the regular files directly in the folder (made writable first); folders, and what
// links point to, stay. 0 when the last deletion succeeded (or there was nothing), else -1.
int TpsdkClearFolder(const char* folder);

}  // namespace tpsdk
