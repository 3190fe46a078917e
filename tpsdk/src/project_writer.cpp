// Writes a project as a project file: the text in a fixed order and layout, then the file,
// replaced whole or not at all.

#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/replace_file.h"
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
  // The reader refuses resources before both names, so such a file could never be opened again.
  if (!elements_.empty()) {
    if (folderName_.empty()) Log(kError, msg::kFolderNameMissing);
    if (projectName_.empty()) Log(kError, msg::kProjectNameMissing);
  }
  if (log_.HasError()) return GetStatusMask();
  const std::string target = path ? path : "";
  std::string reason;
  if (!platform::ReplaceFileContents(target, ComposeProjectFile(), &reason,
                                     platform::MissingFile::kCreate)) {
    Log(kError, msg::kCouldNotCreateFile, {target, reason});
  }
  return GetStatusMask();
}

}  // namespace tpsdk
