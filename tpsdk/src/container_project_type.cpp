// A container's project type, found without opening the project: its project file is
// extracted alone into a private folder and probed there.

#include <sys/stat.h>

#include <string>

#include "archive_engine.h"
#include "platform/current_directory.h"
#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "platform/temp_name.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {

void ExtractProjectFileTo(std::string& error, std::string& projectFile, const std::string& folder,
                          const std::string& containerPath) {
  error.clear();
  projectFile.clear();
  ArchiveEngine engine;
  const platform::CurrentDirectoryBracket inFolder(folder);
  if (!inFolder.entered()) {
    error = FormatMessage(msg::kCouldNotCreateTempDir, {folder});
    return;
  }
  error = engine.Validate(containerPath);
  if (!engine.FoundProjectFile().empty()) {
    platform::TextObject name;
    platform::FileNameOf(name, engine.FoundProjectFile().c_str());
    projectFile = folder + "/" + std::string(name.view());
  }
}

int TpsdkProjectTypeOfContainer(std::string& message, const char* containerPath) {
  message.clear();
  if (!containerPath || !platform::Exists(containerPath)) {
    message = FormatMessage(msg::kCouldNotOpenFile, {containerPath});
    return -1;
  }
  platform::TextObject folder;
  if (!platform::MakeTempName(folder, "_y") || mkdir(folder.cstr(), 0700) != 0) {
    message = FormatMessage(msg::kCouldNotCreateTempDir, {folder});
    return -1;
  }
  // The container path is taken from where the caller stands, not from the private folder.
  std::string container = containerPath;
  if (container.front() != '/') {
    platform::TextObject here;
    if (platform::GetCwd(here)) container = std::string(here.view()) + "/" + container;
  }
  std::string error, projectFile;
  ExtractProjectFileTo(error, projectFile, std::string(folder.view()), container);
  int type = -1;
  if (!error.empty()) {
    message = error;
  } else if (projectFile.empty()) {
    message = FormatMessage(msg::kNoTpfInArchive, {containerPath});
  } else {
    type = TpsdkProjectTypeOfFile(message, projectFile.c_str());
  }
  TpsdkClearFolder(folder.cstr());
  platform::RemoveDir(folder.cstr());
  return type;
}

}  // namespace tpsdk
