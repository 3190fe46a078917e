#pragma once
// One Tessel Project: its information, its resources with their scopes and local files, its
// submission files and job tickets, its modification history and private data. Problems are
// logged into the project's message log; operations that report a status return the log's
// status mask (bit 8 is failure).
//
// Methods are declared in the order of the project's operation table. Text getters return a
// text valid until that field changes; text setters copy their argument and store nothing for
// null.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive_engine.h"
#include "tpsdk/key_value_pair.h"
#include "tpsdk/message_log.h"
#include "tpsdk/modification_record.h"
#include "tpsdk/project_element.h"
#include "tpsdk/text_list.h"

namespace tpsdk {

// Far beyond any real project file; a larger one is refused rather than read into memory.
inline constexpr std::uint64_t kMaxProjectFileBytes = std::uint64_t{256} << 20;

inline constexpr int kProjectKora = 0;
inline constexpr int kProjectPs = 1;
inline constexpr int kProjectPdf = 2;
inline constexpr int kProjectPpmlGa = 3;

// What to do when the stub file and the project file name different project paths.
inline constexpr int kMismatchReject = 0;
inline constexpr int kMismatchUseStub = 1;
inline constexpr int kMismatchUseProjectFile = 2;

// The texts GetInformation copies out, in its order.
struct ProjectInformation {
  std::string projectName, folderName, title, version, description, author, copyright, generator,
      creationDate, keywords, projectFilePath, tpfVersion;
  int projectType = 0;  // GetInformationWithType only
};

class ProjectFileScanner;
class Project;

// The caller's side of the archive engine's hooks, each given the project first.
// Progress: non-zero asks the running archive operation to stop.
using ProjectProgressCallback = std::function<int(Project&, const ArchiveStatus&)>;
// Before the tar writer starts another volume: its short name and folder; non-zero cancels.
using ProjectQueryCallback =
    std::function<int(Project&, const std::string& volumeName, const std::string& folder)>;
// A file that exists already: 0 keeps it, 1 overwrites it, 2 overwrites it and every later one
// of the same operation.
using ProjectOverwriteCallback = std::function<int(Project&, const std::string& path)>;

class Project {
 public:
  // Use TpsdkCreateProject; a project made here has read no stub file.
  Project();
  ~Project();
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  // --- Containers ---------------------------------------------------------------------------
  // Each returns the status mask; a path that does not exist gives 8 and changes nothing.
  // Extracts the container and loads its project; resources land at their resolved places.
  int OpenContainer(const char* containerPath);
  // The same with every resource kept in the Print-and-Forget folder of the stub file.
  int OpenContainerPrintAndForget(const char* containerPath);
  // Loads the project from a folder a container was extracted into before, copying (or
  // moving) its files to their places; removeFolder removes the folder afterwards.
  int OpenFolder(const char* folderPath, bool move, bool removeFolder);
  int OpenFolderPrintAndForget(const char* folderPath, bool move, bool removeFolder);
  // Deletes the files and folder of a project opened for Print-and-Forget.
  int RemovePrintAndForget();
  // Resets the project and reads the file; the status mask.
  int OpenProjectFile(const char* path);
  // Writes the project file and every resource's file into a new container.
  int CreateContainer(const char* containerPath);

  // --- Message log ------------------------------------------------------------------------
  int GetStatus() const { return log_.StatusMask(); }
  const char* GetMessages() const { return log_.Text(); }
  const char* GetMessageRecords() const { return log_.Records(); }

  // --- Submission files and job tickets -----------------------------------------------------
  std::size_t GetSubmissionFileCount() const { return submissionFiles_.size(); }
  const char* GetSubmissionFilePath(std::size_t index) const;  // "" past the end
  // True when that submission file has order 0 (found again by the file name of its path).
  bool IsUnorderedSubmissionFile(std::size_t index) const;
  std::size_t GetJobTicketCount() const { return jobTickets_.size(); }
  const char* GetSubmissionJobTicketPath(std::size_t index) const;  // "" when none

  // --- Saving -------------------------------------------------------------------------------
  // Writes the project file (deriving its name when none is set); the status mask. Only a
  // mask of 0 clears `modified` and moves the current modification into the history.
  int SaveProject();
  void SetRecordModifications(bool on) { recordModifications_ = on; }

  // --- Elements and history -----------------------------------------------------------------
  std::size_t GetElementCount() const { return elements_.size(); }
  ProjectElement* GetElement(std::size_t index) const;  // null past the end
  std::size_t GetModificationCount() const { return history_.size(); }
  const ModificationRecord* GetModification(std::size_t index) const;  // null past the end

  // --- Information --------------------------------------------------------------------------
  const char* GetProjectFilePath() const { return projectFilePath_.c_str(); }
  const char* GetTpfVersion() const { return tpfVersion_.c_str(); }
  const char* GetCopyright() const { return copyright_.c_str(); }
  void SetCopyright(const char* text) { SetText(copyright_, text); }
  int GetProjectType() const { return projectType_; }
  // 0..3 is stored (then project paths are reconciled with the stub file); else 8.
  int SetProjectType(int code);
  int GetPathMismatchAction() const { return pathMismatchAction_; }
  int SetPathMismatchAction(int code);       // 0..2 is stored and gives 0; else 8
  const char* GetLocalProjectPath() const;   // null when there is no such entry
  const char* GetFolderProjectPath() const;  // null when there is no such entry
  const char* GetGlobalProjectPath() const;  // null when there is no such entry
  const char* GetFolderName() const { return folderName_.c_str(); }
  const char* GetProjectName() const { return projectName_.c_str(); }
  // Stores both names and splits the stub paths into scope directories by their placeholders.
  void SetFolderProjectNames(const char* folder, const char* project);
  // All three are needed (0); a missing one logs and empties the project paths (8).
  int SetProjectPaths(const char* local, const char* folder, const char* global);
  const char* GetProjectVersion() const { return projectVersion_.c_str(); }
  void SetProjectVersion(const char* text) { SetText(projectVersion_, text); }
  const char* GetProjectTitle() const { return projectTitle_.c_str(); }
  void SetProjectTitle(const char* text) { SetText(projectTitle_, text); }
  const char* GetProjectDescription() const { return projectDescription_.c_str(); }
  void SetProjectDescription(const char* text) { SetText(projectDescription_, text); }
  const char* GetAuthor() const { return author_.c_str(); }
  void SetAuthor(const char* text) { SetText(author_, text); }
  const char* GetKeywords() const { return keywords_.c_str(); }
  void SetKeywords(const char* text) { SetText(keywords_, text); }
  const char* GetGenerator() const { return generator_.c_str(); }
  void SetGenerator(const char* text) { SetText(generator_, text); }
  const char* GetCreationDate() const { return creationDate_.c_str(); }
  void SetCreationDate(const char* text) { SetText(creationDate_, text); }
  const char* GetCurrentDate() const { return currentDate_.c_str(); }
  void SetCurrentDate(const char* text) { SetText(currentDate_, text); }
  const char* GetCurrentUser() const { return currentUser_.c_str(); }
  void SetCurrentUser(const char* text) { SetText(currentUser_, text); }

  // --- Private data -------------------------------------------------------------------------
  const std::vector<KeyValuePair>& GetPrivateDataList() const { return privateData_; }
  const char* GetPrivateData(const char* identifier) const;  // null when absent
  // Data replaces (null removes) the first pair of that identifier, or is appended.
  void SetPrivateData(const char* identifier, const char* data);

  // --- Information in one call --------------------------------------------------------------
  void GetInformation(ProjectInformation& out) const;
  void GetInformationWithType(ProjectInformation& out) const;

  // --- Element editing (each clears the log first except Find/Modify/SetDescription) -------
  // On success the project owns the element (moved out of `element`); a refused element
  // stays the caller's. The status mask.
  int AddElement(std::unique_ptr<ProjectElement>& element);
  int InsertElement(std::unique_ptr<ProjectElement>& element, std::size_t position);
  long FindElement(const char* name) const;  // index of the first of that name; -1
  int ModifyElement(const ProjectElement& element);
  // Removes the project's element of that name; a local-scope element's file is deleted.
  int RemoveElement(const ProjectElement& element);
  // Takes the element of that name out without recording or deleting anything; null when the
  // project has none.
  std::unique_ptr<ProjectElement> DetachElement(const ProjectElement& element);
  int SetElementDescription(const ProjectElement& element, const char* description);

  // --- Scope resolution ---------------------------------------------------------------------
  // Candidate folders of a scope with the placeholders replaced; existingOnly keeps those
  // that exist.
  TextList GetLocalDirectories(std::string_view folder, std::string_view project,
                               bool existingOnly) const;
  TextList GetFolderDirectories(std::string_view folder, bool existingOnly) const;
  TextList GetGlobalDirectories(bool existingOnly) const;
  int CreateLocalDirectory();  // makes the scopes' folders; the status mask
  // The first folder of the scope holding the file; without one and !mustExist, the first
  // folder joined with the name; else empty. Nothing while either name is empty.
  void ResolveLocal(std::string& target, std::string_view fileName, bool mustExist) const;
  void ResolveFolder(std::string& target, std::string_view fileName, bool mustExist) const;
  void ResolveGlobal(std::string& target, std::string_view fileName, bool mustExist) const;
  // Where a file of that scope (0 local, 1 folder, 2 global; any other is local) lies, else
  // where it would go; empty when nowhere.
  std::string PlaceOf(int scope, std::string_view fileName) const;
  bool ExistsInLocal(std::string_view name) const;
  bool ExistsInFolder(std::string_view name) const;
  bool ExistsInGlobal(std::string_view name) const;
  bool IsInSeveralScopes(std::string_view name) const;
  int GetScopeMask(std::string_view name) const;  // 1 local | 2 folder | 4 global

  // --- Settings kept for callers ------------------------------------------------------------
  bool UsesJobTicketOrder() const { return usesJobTicketOrder_; }
  bool UsesJobTicketId() const { return usesJobTicketId_; }
  const char* GetEncoding() const { return encoding_.c_str(); }
  void SetEncoding(const char* encoding) { SetText(encoding_, encoding); }
  int GetArchiveOption() const { return archiveOption_; }
  void SetArchiveOption(int option) { archiveOption_ = option; }
  void ResetArchive() { archiveTool_.Reset(); }
  // Containers are created as tar archives when set, as zip archives otherwise.
  void SetArchiveFlag(bool tar) { archiveTool_.SetTarFormat(tar); }
  // Empty callbacks restore the defaults (0, 0 and 1).
  void SetProgressCallback(ProjectProgressCallback callback);
  void SetQueryCallback(ProjectQueryCallback callback);
  void SetOverwriteCallback(ProjectOverwriteCallback callback);

  // --- Internal steps, public for the SDK's own parts and their tests -----------------------
  void Reset();
  bool IsModified() const { return modified_; }
  // Writes the project file; the status mask (0: nothing at all was logged).
  int WriteProjectFile(const char* path);
  // The text WriteProjectFile writes (no validation, nothing logged); sets the version "2.0".
  std::string ComposeProjectFile();
  std::uintptr_t GetUserData() const { return userData_; }
  void SetUserData(std::uintptr_t data) { userData_ = data; }
  void WarnScopeHiding(std::string_view name);
  void SetTpfVersion(const char* version) { SetText(tpfVersion_, version); }
  void SetProjectFilePath(const char* path) { SetText(projectFilePath_, path); }
  // Type code 1..3 of a typed stub block's first line (name out), 0, or -1.
  int ParseStubTypeLine(std::string_view line, std::string& typeName);
  // Fills the stub paths of a type from the block's three path lines.
  void SetStubTypePaths(const std::array<std::string_view, 3>& lines, int type);
  void DeriveScopeDirectories(bool byOrder);
  static int ProjectTypeFromName(std::string_view name);  // exact, case counts; -1
  static std::string_view ProjectTypeName(int type);      // "" outside 0..3
  void ClearMessages() {
    log_.Clear();
    archiveTool_.Reset();
  }
  int ParseProjectFile(const char* path);
  // The two container workers: extraction (validateOnly leaves no file behind) and import.
  int ExtractContainer(const char* containerPath, bool printAndForget, bool validateOnly);
  int ImportFolder(const char* folderPath, bool printAndForget, bool move, bool removeFolder);
  // Extracts the project file alone into a private folder and loads it; nothing stays behind.
  int ValidateContainer(const char* containerPath);
  // Asks the overwrite callback about a file that exists (2 is remembered for the rest of the
  // operation); true to overwrite.
  bool MayOverwrite(const std::string& path);
  // The reading steps after the file was read into memory (path only names it in messages).
  int ParseProjectText(const char* path, std::string_view text);
  // Builds an element from the tokens up to "/>"; missingFields lists absent attributes.
  std::unique_ptr<ProjectElement> ParseResourceTag(ProjectFileScanner& tokens,
                                                   std::string& missingFields, bool printAndForget);
  bool CheckProjectPaths();
  bool HasAllProjectPaths() const;
  static void NormalisePath(std::string& target, std::string_view path);
  static void ExpandProjectPath(std::string& target, std::string_view path);
  int MatchStubAndProjectPaths(int type, int action);
  // Scope 0..2 or -1 of a PROJECT_PATH tag, with its normalised path.
  int ParseProjectPathTag(ProjectFileScanner& tokens, std::string& path);
  // Identifier and data of a PRIVATE block's text after "<PRIVATE "; null when malformed.
  static std::unique_ptr<KeyValuePair> ParsePrivateTag(std::string_view text);
  void CheckEndOfFile();
  void Validate(bool checkVersion);
  // The last step of Validate: links job tickets and checks them against submission files.
  void CheckJobTickets();
  int GetStatusMask() const { return log_.StatusMask(); }
  void AddAction(std::string_view text);
  bool ContainsElement(const ProjectElement& element) const;
  void Log(int level, std::string_view format, std::initializer_list<MessageArg> args = {}) {
    log_.Log(level, format, args);
  }
  void LogWithPosition(int level, std::size_t offset, std::string_view message);
  int ReadStubFile(const char* path);
  // Dispatches a stub file's content to one of the two readers; the status mask.
  int ReadStubText(std::string_view content);
  void ReadLegacyStubFile(std::string_view content);
  void ReadTypedStubFile(std::string_view content);
  void ExportProjectFileName();
  int AddSubmissionFile(ProjectElement* element);
  void RemoveSubmissionFile(const ProjectElement* element);
  int AddJobTicket(ProjectElement* element);
  void RemoveJobTicket(const ProjectElement* element);
  int LinkJobTickets();
  std::size_t GetArchiveEntryCount() const { return elements_.size() + 1; }
  std::string GetArchiveEntryName(std::size_t index) const;
  std::string GetArchiveEntryPath(std::size_t index) const;
  // Names the volumes of a container path for the archive engine: the base name without its
  // extension, or without its volume suffix when the path names a volume already.
  void SetVolumeNames(const std::string& containerPath);
  // The container the project works on now; also names its volumes.
  void SetArchiveName(const char* containerPath);
  const char* GetArchiveName() const { return archiveName_.c_str(); }
  ArchiveEngine& GetArchiveEngine() { return archiveTool_; }
  // Extracts entry k of a container where that file belongs: entry 0 beside the project file,
  // an element into the folder of its scope; the status mask.
  int ExtractArchiveEntry(const char* containerPath, std::size_t index);
  int GetOption1() const { return option1_; }
  void SetOption1(int value) { option1_ = value; }
  int GetOption2() const { return option2_; }
  void SetOption2(int value) { option2_ = value; }
  double GetOption3() const { return option3_; }
  void SetOption3(double value) { option3_ = value; }
  // Safe from any thread: the running archive operation stops at its next progress report.
  bool IsCancelRequested() const { return cancelRequested_; }
  void CancelArchive() { cancelRequested_ = true; }

  // Read-only views for the SDK's parts and tests.
  const std::string& GetStubPaths() const { return stubPaths_; }
  const char* GetPrintAndForgetPath() const { return printAndForgetPath_.c_str(); }
  const std::array<std::string, 3>& GetStubTypePaths(int type) const;  // type 1..3
  const std::vector<std::string>& GetLocalDirs() const { return localDirs_; }
  const std::vector<std::string>& GetFolderDirs() const { return folderDirs_; }
  const std::vector<std::string>& GetGlobalDirs() const { return globalDirs_; }
  const std::array<std::string, 3>& GetTpfProjectPaths() const { return tpfProjectPath_; }
  bool IsLoaded() const { return loaded_; }
  bool IsPrintAndForget() const { return printAndForget_; }
  void SetPrintAndForget(bool on) { printAndForget_ = on; }
  void SetExportToTemporary(bool on) { exportToTemporary_ = on; }
  const ModificationRecord& GetCurrentModification() const { return currentModification_; }

 private:
  static void SetText(std::string& field, const char* text) {
    if (text) field = text;
  }
  int AddOrInsert(std::unique_ptr<ProjectElement>& element, std::size_t position);
  void ResolveIn(const TextList& dirs, std::string& target, std::string_view fileName,
                 bool mustExist) const;
  void UseScopePaths(const std::array<std::string, 3>& paths);
  // Links submission files to job tickets over the first `count` elements only: what the
  // reader's last job ticket saw when the read stopped early.
  void LinkJobTicketsOver(std::size_t count);
  // While deferred (the reader adding thousands of elements), AddJobTicket only notes what its
  // linking would have covered; FinishJobTicketLinks links once, as the last add would have.
  void DeferJobTicketLinks();
  void FinishJobTicketLinks();
  void InstallArchiveHooks();
  // Forgets the answers and the folder of the previous archive operation.
  void BeginArchiveOperation();
  void ExtractInto(const std::string& container, const std::string& tempProjectFile);
  // Joins the volumes of the container path set last into one file; errors are logged.
  void JoinVolumes(const std::string& joined);
  void PlaceResource(ProjectElement& element, const std::string& extracted);
  // Copies or moves a file to where it belongs; an existing target is replaced when replace
  // is set or the operator allows it. False when nothing was placed.
  bool PlaceFile(const std::string& source, const std::string& target, bool move, bool replace);
  void WriteArchive(const std::string& container, const std::vector<std::string>& files);
  // Appends the engine's error text to the log as one ERROR message; true when there was one.
  bool ReportEngineError();

  std::string projectFilePath_;
  std::string tpfVersion_;
  std::string copyright_;
  std::string folderName_;
  std::string projectName_;
  std::string projectVersion_, projectTitle_, projectDescription_, author_, keywords_, generator_,
      creationDate_;
  std::string currentDate_, currentUser_;
  std::vector<std::unique_ptr<ProjectElement>> elements_;
  std::vector<ProjectElement*> submissionFiles_;  // sorted by submission order; not owning
  std::vector<ProjectElement*> jobTickets_;       // sorted by order or ID; not owning
  std::vector<std::unique_ptr<ModificationRecord>> history_;
  ModificationRecord currentModification_;
  // Where the reader is in the file; only meaningful during one read.
  struct ParserState {
    bool inModifications = false, inModification = false, dateSeen = false, userSeen = false,
         inActions = false, actionSeen = false, inResources = false, resourceSeen = false,
         headerSeen = false, endSeen = false;
  } parser_;
  bool recordModifications_ = false;
  bool modified_ = false;
  bool exportToTemporary_ = false;
  bool printAndForget_ = false;
  int option1_ = 1, option2_ = 1;
  std::string printAndForgetPath_;
  MessageLog log_;
  std::string stubPaths_;  // each scope path followed by "|"
  double option3_ = 0;
  std::vector<std::string> localDirs_, folderDirs_, globalDirs_;
  std::vector<KeyValuePair> privateData_;
  std::array<std::string, 3> tpfProjectPath_;
  int projectType_ = kProjectKora;
  int pathMismatchAction_ = kMismatchReject;
  std::vector<std::string> projectPaths_{3};
  std::array<std::array<std::string, 3>, 3> stubTypePaths_;  // PS, PDF, PPML-GA
  bool usesJobTicketOrder_ = false, usesJobTicketId_ = false;
  struct DeferredLinks {
    bool active = false, pending = false, byOrder = false, byId = false;
    std::size_t count = 0;  // elements the last job ticket's linking covers
  } deferredLinks_;
  std::string encoding_ = "ISO-8859-1";
  int archiveOption_ = 0;
  std::atomic<bool> cancelRequested_ = false;
  ArchiveEngine archiveTool_;
  std::string archiveName_;
  ProjectProgressCallback progressCallback_;
  ProjectQueryCallback queryCallback_;
  ProjectOverwriteCallback overwriteCallback_;
  bool overwriteAll_ = false;  // a "2" answer, for the rest of one operation
  std::string extractFolder_;  // where the running extraction writes
  bool loaded_ = false;
  std::uintptr_t userData_ = 0;
};

}  // namespace tpsdk
