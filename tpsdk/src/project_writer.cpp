// Writes a project as a project file: the text in a fixed order and layout, then the file,
// replaced whole or not at all.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "platform/unique_fd.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"

namespace tpsdk {

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

void AppendNumber(std::string& out, int number) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

// " <TAG>escaped text</TAG>\n"
void AppendTextElement(std::string& out, std::string_view tag, std::string_view text) {
  out.append(" <").append(tag).append(">");
  AppendEscaped(out, text);
  out.append("</").append(tag).append(">\n");
}

void AppendModification(std::string& out, const ModificationRecord& record) {
  if (record.GetActionCount() == 0) return;
  out += " <MODIFICATION>\n  <DATE>";
  AppendEscaped(out, record.GetDate());
  out += "</DATE>\n  <USER>";
  AppendEscaped(out, record.GetUser());
  out += "</USER>\n  <ACTIONS>\n";
  for (std::size_t i = 0; i < record.GetActionCount(); ++i) {
    out += "   <ACTION>";
    AppendEscaped(out, record.GetAction(i));
    out += "</ACTION>\n";
  }
  out += "  </ACTIONS>\n </MODIFICATION>\n";
}

void AppendResource(std::string& out, const ProjectElement& element) {
  out += " <RESOURCE Name='";
  AppendEscaped(out, element.GetName());
  out.append("' Type='").append(element.GetType()).append("' Scope='");
  AppendNumber(out, element.GetScope());
  out += '\'';
  const std::string_view type = element.GetType();
  if (type == "sub") {
    out += " SubmissionOrder='";
    AppendNumber(out, element.GetSubmissionOrder());
    out += '\'';
    if (element.HasJobTicketId()) {
      out += " JobTicketID='";
      AppendNumber(out, element.GetJobTicketId());
      out += '\'';
    }
  } else if (type == "jtk") {
    if (element.HasJobTicketId()) {
      out += " JobTicketID='";
      AppendNumber(out, element.GetJobTicketId());
      out += '\'';
    } else if (element.GetJobTicketOrder() != -1) {
      out += " JobTicketOrder='";
      AppendNumber(out, element.GetJobTicketOrder());
      out += '\'';
    }
  }
  if (*element.GetDescription() != '\0') {
    out += " Description='";
    AppendEscaped(out, element.GetDescription());
    out += '\'';
  }
  if (*element.GetMime() != '\0') {
    out += " Mime='";
    AppendEscaped(out, element.GetMime());
    out += '\'';
  }
  // Read back as it stands, so written as it stands: a round trip keeps it.
  if (*element.GetPrecaching() != '\0') {
    out.append(" Precaching='").append(element.GetPrecaching()).append("'");
  }
  for (const KeyValuePair& attribute : element.GetAttributes()) {
    out.append(" ").append(attribute.GetKey()).append("='").append(attribute.GetValue());
    out += '\'';
  }
  out += "/>\n";
}

// A file created beside the target and removed again unless it was renamed into place.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device seed;
    std::mt19937 random(seed());
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string suffix = ".";
      for (int i = 0; i < 6; ++i) suffix += kLetters[random() % kLetters.size()];
      name_ = platform::Beside(target, "." + base + suffix);
      // Created as fopen would create the target itself: 0666 less the umask.
      fd_.reset(open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (fd_ || errno != EEXIST) break;
    }
    if (!fd_) name_.clear();
  }
  ~ReplacementFile() {
    fd_.reset();
    if (!name_.empty()) unlink(name_.c_str());
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  int fd() const { return fd_.get(); }
  // Data not yet on the disk can still fail at close.
  bool Close() { return close(fd_.release()) == 0; }
  bool RenameTo(const std::string& target) {
    if (rename(name_.c_str(), target.c_str()) != 0) return false;
    name_.clear();
    return true;
  }

 private:
  std::string name_;
  platform::UniqueFd fd_;
};

// Replaces the file at path with bytes, or leaves whatever was there; 0 or the error number.
int ReplaceFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return ENOENT;
  struct stat old {};
  const bool replacing = lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // A file its mode forbids writing stays forbidden, although the folder would allow a rename.
  if (replacing && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  ReplacementFile file(path);
  if (file.fd() < 0 || !platform::WriteAll(file.fd(), bytes)) return errno;
  if (replacing) {
    // Owner before mode: a change of owner clears set-id bits. Only root may give files away.
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(file.fd(), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
      return errno;
    }
    if (fchmod(file.fd(), old.st_mode & 07777) != 0) return errno;
  }
  if (fsync(file.fd()) != 0 || !file.Close() || !file.RenameTo(path)) return errno;
  if (!platform::SyncFolder(platform::FolderOfFile(path).c_str())) return errno;
  return 0;
}

std::size_t ComposedSizeGuess(std::size_t elements, std::size_t privateBytes) {
  return 1024 + elements * 160 + privateBytes;
}

}  // namespace

std::string Project::ComposeProjectFile() {
  std::size_t privateBytes = 0;
  for (const KeyValuePair& pair : privateData_) {
    privateBytes += 40 + std::strlen(pair.GetKey()) + std::strlen(pair.GetValue());
  }
  std::string out;
  out.reserve(ComposedSizeGuess(elements_.size(), privateBytes));

  if (encoding_.empty()) {
    out += "<?xml version='1.0'?>\n";
  } else {
    out.append("<?xml version='1.0' encoding='").append(encoding_).append("'?>\n");
  }
  tpfVersion_ = "2.0";
  out.append("<TPF Version='").append(tpfVersion_).append("'>\n\n");

  out += "<INFORMATION>\n";
  AppendTextElement(out, "COPYRIGHT", copyright_);
  out.append(" <PROJECT_TYPE>").append(ProjectTypeName(projectType_)).append("</PROJECT_TYPE>\n");
  AppendTextElement(out, "FOLDER_NAME", folderName_);
  AppendTextElement(out, "PROJECT_NAME", projectName_);
  AppendTextElement(out, "PROJECT_VERSION", projectVersion_);
  AppendTextElement(out, "PROJECT_TITLE", projectTitle_);
  AppendTextElement(out, "PROJECT_DESCRIPTION", projectDescription_);
  AppendTextElement(out, "AUTHOR", author_);
  AppendTextElement(out, "KEYWORDS", keywords_);
  AppendTextElement(out, "GENERATOR", generator_);
  AppendTextElement(out, "CREATION_DATE", creationDate_);
  out += "</INFORMATION>\n\n";

  out += "<RESOURCES>\n";
  // For a type other than KORA, the project paths are acceptable exactly when all three are
  // set, and then checking them logs nothing: composing stays free of messages.
  if (projectType_ != kProjectKora && HasAllProjectPaths()) {
    for (int scope = 0; scope < 3; ++scope) {
      out += " <PROJECT_PATH Scope='";
      AppendNumber(out, scope);
      out.append("'>").append(projectPaths_[static_cast<std::size_t>(scope)]);
      out += "</PROJECT_PATH>\n";
    }
  }
  for (const auto& element : elements_) AppendResource(out, *element);
  out += "</RESOURCES>\n\n";

  if (!history_.empty() || currentModification_.GetActionCount() > 0) {
    out += "<MODIFICATIONS>\n";
    for (const auto& record : history_) AppendModification(out, *record);
    AppendModification(out, currentModification_);
    out += "</MODIFICATIONS>\n\n";
  }

  for (const KeyValuePair& pair : privateData_) {
    out.append("<PRIVATE Identifier='").append(pair.GetKey()).append("'>");
    out.append(pair.GetValue()).append("</PRIVATE>\n\n");
  }
  out += "</TPF>\n";
  return out;
}

int Project::WriteProjectFile(const char* path) {
  Validate(false);
  if (log_.HasError()) return GetStatusMask();
  const std::string target = path ? path : "";
  if (const int error = ReplaceFile(target, ComposeProjectFile()); error != 0) {
    Log(kError, msg::kCouldNotCreateFile, {target, std::strerror(error)});
  }
  return GetStatusMask();
}

}  // namespace tpsdk
