// Reads a project file: the scanner cuts the text into tokens and the reader acts on them one by
// one, filling the project and logging what is wrong. The read stops at the first token after
// which the log holds an error; what was read before stays.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_helpers.h"
#include "project_file_scanner.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"

namespace tpsdk {

namespace {

constexpr std::size_t kNpos = std::string_view::npos;

// Replaced in this order, so "&amp;lt;" becomes "&lt;" and nothing more.
constexpr std::pair<std::string_view, std::string_view> kReferences[] = {
    {"&lt;", "<"},     {"&gt;", ">"},    {"&apos;", "'"},
    {"&quote;", "\""}, {"&quot;", "\""}, {"&amp;", "&"},
};

std::string DecodeReferences(std::string_view text) {
  std::string out(text);
  if (text.find('&') == kNpos) return out;
  for (const auto& [reference, replacement] : kReferences) {
    if (out.find(reference) == std::string::npos) continue;
    std::string next;
    next.reserve(out.size());
    std::size_t from = 0;
    for (std::size_t at; (at = out.find(reference, from)) != std::string::npos;
         from = at + reference.size()) {
      next.append(out, from, at - from);
      next += replacement;
    }
    next.append(out, from);
    out.swap(next);
  }
  return out;
}

// Read as atoi reads: leading white space, a sign, digits up to the first other character; 0
// without digits. Out-of-range values are clamped instead of overflowing.
int ParseNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + (text[i] - '0'), kLimit);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// An attribute token is name, "=", a quote, the value and the same quote.
std::string_view AttributeName(std::string_view token) {
  return token.substr(0, token.find('='));
}
std::string_view AttributeValue(std::string_view token) {
  const std::size_t start = token.find('=') + 2;
  return token.substr(start, token.size() - start - 1);
}

// The encoding named by "encoding='" (or the same with a double quote) up to the declaration's
// last three characters; an empty name keeps the encoding, no name at all empties it.
void ReadEncoding(std::string_view declaration, std::string& encoding) {
  std::size_t at = declaration.find("encoding='");
  if (at == kNpos) at = declaration.find("encoding=\"");
  if (at == kNpos) {
    encoding.clear();
    return;
  }
  const std::size_t start = at + 10;
  if (declaration.size() - 3 > start) {
    encoding = declaration.substr(start, declaration.size() - 3 - start);
  }
}

// The text after the root tag's first "'" (or, with none, its first double quote) up to the
// next quote of that kind.
std::string_view VersionOf(std::string_view rootTag) {
  std::size_t open = rootTag.find('\'');
  if (open == kNpos) open = rootTag.find('"');
  if (open == kNpos) return {};
  const std::size_t close = rootTag.find(rootTag[open], open + 1);
  return rootTag.substr(open + 1, close == kNpos ? kNpos : close - open - 1);
}

bool IsQuote(char c) {
  return c == '\'' || c == '"';
}

void AppendMissing(std::string& list, std::string_view field) {
  if (!list.empty()) list += ", ";
  list += field;
}

}  // namespace

int Project::OpenProjectFile(const char* path) {
  if (!path || !platform::Exists(path)) {
    Log(kError, msg::kCouldNotOpenFile, {path});
    return kError;
  }
  Reset();
  SetProjectFilePath(path);
  ParseProjectFile(path);
  loaded_ = true;
  return GetStatusMask();
}

int Project::ParseProjectFile(const char* path) {
  if (!path || !platform::Exists(path)) {
    Log(kError, msg::kCouldNotOpenFile, {path});
    return kError;
  }
  ClearMessages();
  projectPaths_.assign(3, std::string());
  for (std::string& tpfPath : tpfProjectPath_) tpfPath.clear();

  std::optional<std::string> text = platform::ReadFileText(path, kMaxProjectFileBytes);
  if (!text) {
    Log(kError, msg::kCouldNotOpenFile, {path});
    return GetStatusMask();
  }
  std::replace(text->begin(), text->end(), '\r', '\n');
  return ParseProjectText(path, *text);
}

int Project::ParseProjectText(const char* path, std::string_view text) {
  // The text ends at its first NUL, as a file's does.
  text = text.substr(0, text.find('\0'));
  parser_ = ParserState{};
  ModificationRecord record;  // the MODIFICATION being read
  ProjectFileScanner tokens(text);

  const auto decoded = [&tokens](Tag tag) {
    return DecodeReferences(tokens.CollectUntilEndTag(tag));
  };
  const auto enter = [this](bool& inside, const Token& token, std::string_view nested) {
    if (inside) LogWithPosition(kError, token.offset, nested);
    inside = true;
  };
  const auto leave = [this](bool& inside, const Token& token, std::string_view unexpected) {
    if (!inside) LogWithPosition(kError, token.offset, unexpected);
    inside = false;
  };

  static constexpr std::pair<Tag, std::string Project::*> kTextFields[] = {
      {Tag::kCopyright, &Project::copyright_},
      {Tag::kFolderName, &Project::folderName_},
      {Tag::kProjectName, &Project::projectName_},
      {Tag::kProjectVersion, &Project::projectVersion_},
      {Tag::kProjectTitle, &Project::projectTitle_},
      {Tag::kProjectDescription, &Project::projectDescription_},
      {Tag::kAuthor, &Project::author_},
      {Tag::kKeywords, &Project::keywords_},
      {Tag::kGenerator, &Project::generator_},
      {Tag::kCreationDate, &Project::creationDate_},
  };
  const auto startTag = [&](const Token& token) {
    for (const auto& [tag, field] : kTextFields) {
      if (tag != token.tag) continue;
      this->*field = decoded(tag);
      const bool names = tag == Tag::kFolderName || tag == Tag::kProjectName;
      if (names && !folderName_.empty() && !projectName_.empty()) DeriveScopeDirectories(false);
      return;
    }
    switch (token.tag) {
      case Tag::kProjectType: {
        const std::string_view name = tokens.CollectUntilEndTag(token.tag);
        const int type = ProjectTypeFromName(name);
        if (type < 0) {
          Log(kError, msg::kInvalidTypeName, {name});
        } else {
          SetProjectType(type);
        }
        break;
      }
      case Tag::kDate:
        record.SetDate(decoded(token.tag));
        parser_.dateSeen = true;
        break;
      case Tag::kUser:
        record.SetUser(decoded(token.tag));
        parser_.userSeen = true;
        break;
      case Tag::kAction:
        record.AddAction(decoded(token.tag));
        parser_.actionSeen = true;
        break;
      case Tag::kModifications:
        enter(parser_.inModifications, token, msg::kNestedModifications);
        break;
      case Tag::kModification:
        enter(parser_.inModification, token, msg::kNestedModification);
        break;
      case Tag::kActions:
        if (parser_.inActions) LogWithPosition(kError, token.offset, msg::kNestedActions);
        if (!parser_.dateSeen) LogWithPosition(kError, token.offset, msg::kDateMissing);
        if (!parser_.userSeen) LogWithPosition(kError, token.offset, msg::kUserMissing);
        parser_.inActions = true;
        break;
      case Tag::kResources:
        enter(parser_.inResources, token, msg::kNestedResources);
        break;
      default:  // INFORMATION carries no meaning
        break;
    }
  };

  const auto endTag = [&](const Token& token) {
    switch (token.tag) {
      case Tag::kModifications:
        leave(parser_.inModifications, token, msg::kUnexpectedModificationsEnd);
        break;
      case Tag::kModification:
        if (!parser_.inModification) {
          LogWithPosition(kError, token.offset, msg::kUnexpectedModificationEnd);
        }
        history_.push_back(std::make_unique<ModificationRecord>(std::move(record)));
        record = ModificationRecord();
        parser_.dateSeen = parser_.userSeen = parser_.inModification = false;
        break;
      case Tag::kActions:
        leave(parser_.inActions, token, msg::kUnexpectedActionsEnd);
        break;
      case Tag::kResources:
        leave(parser_.inResources, token, msg::kUnexpectedResourcesEnd);
        break;
      case Tag::kTpf:
        parser_.endSeen = true;
        break;
      default:  // stray end tags of text elements
        break;
    }
  };

  const auto resource = [&](const Token& token) {
    if (folderName_.empty() || projectName_.empty()) {
      LogWithPosition(kError, token.offset, msg::kResourceBeforeNames);
      return;
    }
    if (!parser_.resourceSeen) {
      parser_.resourceSeen = true;
      projectPaths_.assign(tpfProjectPath_.begin(), tpfProjectPath_.end());
      if (projectType_ != kProjectKora && CheckProjectPaths()) {
        MatchStubAndProjectPaths(projectType_, pathMismatchAction_);
      }
    }
    std::string missingFields;
    std::unique_ptr<ProjectElement> element =
        ParseResourceTag(tokens, missingFields, printAndForget_);
    const std::string_view type = element->GetType();
    std::vector<ProjectElement*>* list = type == "sub"   ? &submissionFiles_
                                         : type == "jtk" ? &jobTickets_
                                                         : nullptr;
    if (list) {
      const bool errorBefore = log_.HasError();
      const int status = list == &submissionFiles_ ? AddSubmissionFile(element.get())
                                                   : AddJobTicket(element.get());
      // An error logged before the add says nothing about the element: then only the list
      // tells whether it was taken.
      const bool refused = errorBefore
                               ? std::find(list->begin(), list->end(), element.get()) == list->end()
                               : (status & kError) != 0;
      if (refused) element.reset();
    }
    if (element) elements_.push_back(std::move(element));
    if (!missingFields.empty()) Log(kError, msg::kMalformedResource, {missingFields});
  };

  // Private data is opaque: it ends at the first "</PRIVATE>" even where that would sit inside a
  // longer token (a quoted value, a "<TPF ...>" run), so that data written back reads back alike.
  const auto privateBlock = [&](const Token& token) {
    std::unique_ptr<KeyValuePair> pair = ParsePrivateTag(tokens.CollectUntilText("</PRIVATE>"));
    if (pair) {
      privateData_.push_back(std::move(*pair));
    } else {
      LogWithPosition(kError, token.offset, msg::kMalformedPrivate);
    }
  };

  DeferJobTicketLinks();
  Token token;
  bool first = true;
  while (!log_.HasError() && tokens.Next(token)) {
    if (first && token.kind != TokenKind::kXmlDeclaration) {
      Log(kError, msg::kNotAnXmlFile, {path});
    }
    first = false;
    switch (token.kind) {
      case TokenKind::kXmlDeclaration:
        parser_.headerSeen = true;
        ReadEncoding(token.text, encoding_);
        break;
      case TokenKind::kRootStart:
        tpfVersion_ = VersionOf(token.text);
        break;
      case TokenKind::kStartTag:
        startTag(token);
        break;
      case TokenKind::kEndTag:
        endTag(token);
        break;
      case TokenKind::kProjectPathStart: {
        std::string path;
        const int scope = ParseProjectPathTag(tokens, path);
        if (scope < 0) {
          Log(kError, msg::kInvalidProjectPathScope, {path});
        } else {
          tpfProjectPath_[static_cast<std::size_t>(scope)] = std::move(path);
        }
        break;
      }
      case TokenKind::kResourceStart:
        resource(token);
        break;
      case TokenKind::kPrivateStart:
        privateBlock(token);
        break;
      default:  // comments, white space, words, other characters, stray attributes
        break;
    }
  }
  FinishJobTicketLinks();
  if (!log_.HasError()) CheckEndOfFile();
  return GetStatusMask();
}

std::unique_ptr<ProjectElement> Project::ParseResourceTag(ProjectFileScanner& tokens,
                                                          std::string& missingFields,
                                                          bool printAndForget) {
  auto element = std::make_unique<ProjectElement>();
  // By Attribute; of a repeated attribute the last counts.
  std::array<std::string_view, static_cast<std::size_t>(Attribute::kPrecaching) + 1> values{};
  Token token;
  while (tokens.Next(token) && token.kind != TokenKind::kEmptyTagEnd) {
    if (token.kind == TokenKind::kKnownAttribute) {
      values[static_cast<std::size_t>(token.attribute)] = AttributeValue(token.text);
    } else if (token.kind == TokenKind::kOtherAttribute) {
      element->SetAttribute(std::string(AttributeName(token.text)).c_str(),
                            std::string(AttributeValue(token.text)).c_str());
    }
  }
  const auto value = [&values](Attribute attribute) {
    return values[static_cast<std::size_t>(attribute)];
  };
  const std::string name = DecodeReferences(value(Attribute::kName));
  const std::string_view type = value(Attribute::kType), scope = value(Attribute::kScope),
                         submissionOrder = value(Attribute::kSubmissionOrder),
                         jobTicketOrder = value(Attribute::kJobTicketOrder),
                         jobTicketId = value(Attribute::kJobTicketId);

  const int scopeNumber = printAndForget ? kScopeLocal : ParseNumber(scope);
  if (!jobTicketOrder.empty()) usesJobTicketOrder_ = true;
  if (!jobTicketId.empty()) usesJobTicketId_ = true;

  missingFields.clear();
  if (name.empty()) AppendMissing(missingFields, "'Name='");
  if (type.empty()) AppendMissing(missingFields, "'Type='");
  if (scope.empty()) AppendMissing(missingFields, "'Scope='");
  if (type == "sub" && submissionOrder.empty()) AppendMissing(missingFields, "'SubmissionOrder='");
  if (type == "jtk" && jobTicketOrder.empty() && jobTicketId.empty()) {
    AppendMissing(missingFields, "'JobTicketOrder/JobTicketID='");
  }

  const std::string localPath = PlaceOf(scopeNumber, name);

  element->SetName(name.c_str());
  element->SetLocalPath(localPath.c_str());
  element->SetType(std::string(type).c_str());
  element->SetScope(scopeNumber);
  element->SetDescription(DecodeReferences(value(Attribute::kDescription)).c_str());
  element->SetSubmissionOrder(ParseNumber(submissionOrder));
  element->SetJobTicketOrder(jobTicketOrder.empty() ? -1 : ParseNumber(jobTicketOrder));
  element->SetJobTicketId(jobTicketId.empty() ? -1 : ParseNumber(jobTicketId));
  element->SetMime(DecodeReferences(value(Attribute::kMime)).c_str());
  element->SetPrecaching(std::string(value(Attribute::kPrecaching)).c_str());
  return element;
}

int Project::ParseProjectPathTag(ProjectFileScanner& tokens, std::string& path) {
  int scope = -1;
  Token token;
  // A ">" inside a quoted value does not end the tag.
  while (tokens.Next(token)) {
    if (token.text.find('>') != kNpos && token.text.find('=') == kNpos) break;
    if (token.kind == TokenKind::kKnownAttribute && token.attribute == Attribute::kScope) {
      const std::string_view value = AttributeValue(token.text);
      scope = value == "0" ? 0 : value == "1" ? 1 : value == "2" ? 2 : -1;
    }
  }
  NormalisePath(path, tokens.CollectUntilEndTag(Tag::kProjectPath));
  return scope;
}

std::unique_ptr<KeyValuePair> Project::ParsePrivateTag(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == kNpos || equals + 1 >= text.size() || !IsQuote(text[equals + 1])) return nullptr;
  const std::size_t open = equals + 1;
  std::size_t close = text.find('\'', open + 1);
  if (close == kNpos) close = text.find('"', open + 1);
  if (close == kNpos) return nullptr;
  const std::size_t angle = text.find('>', close + 1);
  if (angle == kNpos) return nullptr;
  return std::make_unique<KeyValuePair>(text.substr(open + 1, close - open - 1),
                                        text.substr(angle + 1));
}

void Project::CheckEndOfFile() {
  if (!parser_.headerSeen) Log(kError, msg::kXmlHeaderMissing);
  if (parser_.inModifications) Log(kError, msg::kEofInModifications);
  if (parser_.inModification) Log(kError, msg::kEofInModification);
  if (parser_.inActions) Log(kError, msg::kEofInActions);
  if (parser_.inResources) Log(kError, msg::kEofInResources);
  if (!parser_.endSeen) Log(kError, msg::kEofBeforeTpfEnd);
  Validate(true);
}

void Project::Validate(bool checkVersion) {
  if (checkVersion && tpfVersion_.empty()) Log(kError, msg::kTpfVersionMissing);
  const struct {
    const std::string& field;
    int level;
    std::string_view message;
  } kInformation[] = {
      {copyright_, kWarning, msg::kCopyrightMissing},
      {folderName_, kWarning, msg::kFolderNameMissing},
      {projectName_, kWarning, msg::kProjectNameMissing},
      {projectVersion_, kWarning, msg::kProjectVersionMissing},
      {projectTitle_, kWarning, msg::kProjectTitleMissing},
      {generator_, kWarning, msg::kGeneratorMissing},
      {creationDate_, kWarning, msg::kCreationDateMissing},
      {projectDescription_, kInfo, msg::kDescriptionMissing},
      {author_, kInfo, msg::kAuthorMissing},
      {keywords_, kInfo, msg::kKeywordsMissing},
  };
  for (const auto& check : kInformation) {
    if (check.field.empty()) Log(check.level, check.message);
  }
  CheckProjectPaths();
  // Scope paths come from the stub file, or from the project file through the stub's type
  // paths; a Print-and-Forget project resolves through its one folder without them.
  const bool printAndForgetFolder = printAndForget_ && !printAndForgetPath_.empty();
  if (stubPaths_.empty() && !printAndForgetFolder) Log(kError, msg::kNoPathContext);
  CheckJobTickets();
}

void Project::LogWithPosition(int level, std::size_t offset, std::string_view message) {
  log_.LogFormatted(level, FormatMessage(msg::kPosition, {offset, message}));
}

}  // namespace tpsdk
