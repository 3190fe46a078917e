#include "tpsdk/project.h"

#include <cstring>

#include "platform/current_directory.h"
#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {

namespace {

constexpr std::array<std::string_view, 4> kTypeNames = {"KORA", "PS", "PDF", "PPML-GA"};

}  // namespace

Project::Project() {
  InstallArchiveHooks();
}
Project::~Project() = default;

std::unique_ptr<Project> TpsdkCreateProject(const char* stubFilePath) {
  if (!stubFilePath || !platform::Exists(stubFilePath)) return nullptr;
  auto project = std::make_unique<Project>();
  project->ReadStubFile(stubFilePath);
  return project;
}

void Project::Reset() {
  for (std::string* text :
       {&projectFilePath_, &tpfVersion_, &copyright_, &folderName_, &projectName_, &projectVersion_,
        &projectTitle_, &projectDescription_, &author_, &keywords_, &generator_, &creationDate_,
        &currentDate_, &currentUser_}) {
    text->clear();
  }
  privateData_.clear();
  submissionFiles_.clear();
  jobTickets_.clear();
  elements_.clear();
  history_.clear();
  currentModification_.Clear();
  parser_ = ParserState{};
  recordModifications_ = modified_ = printAndForget_ = false;
  option1_ = option2_ = 0;
  option3_ = 0;
  projectType_ = kProjectKora;
  usesJobTicketOrder_ = usesJobTicketId_ = false;
  deferredLinks_ = DeferredLinks{};
  localDirs_.clear();
  folderDirs_.clear();
  globalDirs_.clear();
  for (std::string& path : tpfProjectPath_) path.clear();
  encoding_ = "ISO-8859-1";
  archiveOption_ = 0;
  cancelRequested_ = false;
  ClearMessages();
}

ProjectElement* Project::GetElement(std::size_t index) const {
  return index < elements_.size() ? elements_[index].get() : nullptr;
}

const ModificationRecord* Project::GetModification(std::size_t index) const {
  return index < history_.size() ? history_[index].get() : nullptr;
}

int Project::SaveProject() {
  log_.Clear();
  if (projectFilePath_.empty()) ExportProjectFileName();
  const int mask = WriteProjectFile(projectFilePath_.c_str());
  if (mask == 0) {
    modified_ = false;
    history_.push_back(std::make_unique<ModificationRecord>(std::move(currentModification_)));
    currentModification_ = ModificationRecord();
    if (!currentDate_.empty()) currentModification_.SetDate(currentDate_);
    if (!currentUser_.empty()) currentModification_.SetUser(currentUser_);
  }
  return mask;
}

void Project::ExportProjectFileName() {
  if (projectName_.empty()) {
    Log(kError, msg::kProjectNotInitialised);
    return;
  }
  const std::string name = projectName_ + ".tpf";
  if (exportToTemporary_) {
    platform::TextObject folder;
    platform::GetCwd(folder);
    projectFilePath_ = std::string(folder.view()) + "/" + name;
  } else {
    projectFilePath_ = PlaceOf(kScopeLocal, name);
  }
  loaded_ = true;
}

void Project::SetFolderProjectNames(const char* folder, const char* project) {
  SetText(folderName_, folder);
  SetText(projectName_, project);
  DeriveScopeDirectories(false);
}

int Project::ProjectTypeFromName(std::string_view name) {
  for (std::size_t i = 0; i < kTypeNames.size(); ++i) {
    if (kTypeNames[i] == name) return static_cast<int>(i);
  }
  return -1;
}

std::string_view Project::ProjectTypeName(int type) {
  return type >= kProjectKora && type <= kProjectPpmlGa ? kTypeNames[type] : "";
}

const char* Project::GetPrivateData(const char* identifier) const {
  return FindValue(privateData_, identifier);
}

void Project::SetPrivateData(const char* identifier, const char* data) {
  StoreValue(privateData_, identifier, data);
}

void Project::GetInformation(ProjectInformation& out) const {
  out.projectName = projectName_;
  out.folderName = folderName_;
  out.title = projectTitle_;
  out.version = projectVersion_;
  out.description = projectDescription_;
  out.author = author_;
  out.copyright = copyright_;
  out.generator = generator_;
  out.creationDate = creationDate_;
  out.keywords = keywords_;
  out.projectFilePath = projectFilePath_;
  out.tpfVersion = tpfVersion_;
}

void Project::GetInformationWithType(ProjectInformation& out) const {
  out.projectType = projectType_;
  GetInformation(out);
}

std::string Project::GetArchiveEntryName(std::size_t index) const {
  if (index == 0) {
    platform::TextObject name;
    platform::FileNameOf(name, projectFilePath_.c_str());
    return std::string(name.view());
  }
  return index <= elements_.size() ? elements_[index - 1]->GetName() : std::string();
}

std::string Project::GetArchiveEntryPath(std::size_t index) const {
  if (index == 0) return projectFilePath_;
  return index <= elements_.size() ? elements_[index - 1]->GetLocalPath() : std::string();
}

void Project::SetVolumeNames(const std::string& containerPath) {
  platform::TextObject folder, name;
  platform::FolderOf(folder, platform::TextObject(containerPath.c_str()));
  platform::FileNameOf(name, containerPath.c_str());
  std::string base(name.view());
  // "_xxxxxx_yyyyyy.tpv": the volume number and count behind the base name.
  constexpr std::size_t kVolumeSuffix = 18;
  if (base.find(".tpv") != std::string::npos && base.size() >= kVolumeSuffix) {
    base.resize(base.size() - kVolumeSuffix);
  } else if (const std::size_t dot = base.rfind('.'); dot != std::string::npos) {
    base.resize(dot);
  }
  // A bare container name has its volumes beside it, not in the root folder.
  archiveTool_.SetNameParts(folder.isEmpty() ? std::string_view(".") : folder.view(), base, "/",
                            ".tpv");
}

}  // namespace tpsdk
