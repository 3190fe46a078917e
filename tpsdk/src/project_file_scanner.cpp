#include "project_file_scanner.h"

#include <array>

namespace tpsdk {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

struct TagName {
  std::string_view name;  // upper case
  Tag tag;
  bool hasStartTag;
};

constexpr std::array<TagName, 22> kTagNames = {{
    {"COPYRIGHT", Tag::kCopyright, true},
    {"PROJECT_TYPE", Tag::kProjectType, true},
    {"FOLDER_NAME", Tag::kFolderName, true},
    {"PROJECT_NAME", Tag::kProjectName, true},
    {"PROJECT_VERSION", Tag::kProjectVersion, true},
    {"PROJECT_TITLE", Tag::kProjectTitle, true},
    {"PROJECT_DESCRIPTION", Tag::kProjectDescription, true},
    {"AUTHOR", Tag::kAuthor, true},
    {"KEYWORDS", Tag::kKeywords, true},
    {"GENERATOR", Tag::kGenerator, true},
    {"CREATION_DATE", Tag::kCreationDate, true},
    {"MODIFICATIONS", Tag::kModifications, true},
    {"MODIFICATION", Tag::kModification, true},
    {"DATE", Tag::kDate, true},
    {"USER", Tag::kUser, true},
    {"ACTIONS", Tag::kActions, true},
    {"ACTION", Tag::kAction, true},
    {"RESOURCES", Tag::kResources, true},
    {"INFORMATION", Tag::kInformation, true},
    {"PRIVATE", Tag::kPrivate, false},
    {"PROJECT_PATH", Tag::kProjectPath, false},
    {"TPF", Tag::kTpf, false},
}};
constexpr std::size_t kLongestTagName = 19;  // PROJECT_DESCRIPTION

struct AttributeName {
  std::string_view name;  // upper case
  Attribute attribute;
};

constexpr std::array<AttributeName, 9> kAttributeNames = {{
    {"NAME", Attribute::kName},
    {"TYPE", Attribute::kType},
    {"SCOPE", Attribute::kScope},
    {"SUBMISSIONORDER", Attribute::kSubmissionOrder},
    {"JOBTICKETORDER", Attribute::kJobTicketOrder},
    {"JOBTICKETID", Attribute::kJobTicketId},
    {"DESCRIPTION", Attribute::kDescription},
    {"MIME", Attribute::kMime},
    {"PRECACHING", Attribute::kPrecaching},
}};

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}
bool IsNameChar(char c) {
  return IsLetterOrDigit(c) || c == '_';
}
bool IsTagNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}
bool IsQuote(char c) {
  return c == '\'' || c == '"';
}

// Upper-case name equals text, letter case of text aside.
bool EqualsUpper(std::string_view upper, std::string_view text) {
  if (upper.size() != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper[i]) return false;
  }
  return true;
}

bool StartsWithUpper(std::string_view text, std::size_t at, std::string_view upper) {
  return text.size() - at >= upper.size() && EqualsUpper(upper, text.substr(at, upper.size()));
}

const TagName* FindTag(std::string_view name) {
  for (const TagName& entry : kTagNames) {
    if (EqualsUpper(entry.name, name)) return &entry;
  }
  return nullptr;
}

}  // namespace

bool ProjectFileScanner::Next(Token& token) {
  if (peeked_) {
    token = peek_;
    peeked_ = false;
    return true;
  }
  if (position_ >= text_.size()) return false;
  token = Scan();
  return true;
}

const Token* ProjectFileScanner::Peek() {
  if (!peeked_) {
    if (position_ >= text_.size()) return nullptr;
    peek_ = Scan();
    peeked_ = true;
  }
  return &peek_;
}

std::string_view ProjectFileScanner::CollectUntilEndTag(Tag tag) {
  const std::size_t start = position();
  Token token;
  while (Next(token)) {
    if (token.Is(TokenKind::kEndTag, tag)) return text_.substr(start, token.offset - start);
  }
  return text_.substr(start);
}

std::string_view ProjectFileScanner::CollectUntilText(std::string_view upper) {
  const std::size_t start = position();
  peeked_ = false;
  for (std::size_t at = start; (at = text_.find(upper.front(), at)) != kNone; ++at) {
    if (StartsWithUpper(text_, at, upper)) {
      position_ = at + upper.size();
      return text_.substr(start, at - start);
    }
  }
  position_ = text_.size();
  return text_.substr(start);
}

Token ProjectFileScanner::Scan() {
  Token token;
  token.offset = position_;
  const char c = text_[position_];
  std::size_t length = 1;
  if (c == '<') {
    length = MatchAngle(token);
  } else if (c == '/' && text_.substr(position_, 2) == "/>") {
    token.kind = TokenKind::kEmptyTagEnd;
    length = 2;
  } else if (c == '-' && text_.substr(position_, 3) == "-->") {
    token.kind = TokenKind::kCommentEnd;
    length = 3;
  } else if (IsWhiteSpace(c)) {
    token.kind = TokenKind::kWhiteSpace;
    while (position_ + length < text_.size() && IsWhiteSpace(text_[position_ + length])) ++length;
  } else if (IsNameChar(c)) {
    length = MatchAttribute(token);
    if (length == 0 && IsLetterOrDigit(c)) {
      token.kind = TokenKind::kWord;
      length = 1;
      while (position_ + length < text_.size() && IsLetterOrDigit(text_[position_ + length])) {
        ++length;
      }
    }
    if (length == 0) length = 1;  // "_" on its own
  }
  token.text = text_.substr(position_, length);
  position_ += length;
  return token;
}

// Kinds that start with "<"; at most one of them matches beyond the lone character, as no two
// of their fixed prefixes can both match at one place.
std::size_t ProjectFileScanner::MatchAngle(Token& token) {
  const std::size_t at = position_;
  if (StartsWithUpper(text_, at, "<?XML")) {
    UpdateLine();
    if (lastQuestion_ != kNone && lastQuestion_ >= at + 5) {
      token.kind = TokenKind::kXmlDeclaration;
      return lastQuestion_ + 2 - at;
    }
    return 1;
  }
  if (StartsWithUpper(text_, at, "<TPF")) {
    UpdateLine();
    if (lastAngle_ != kNone && lastAngle_ >= at + 4) {
      token.kind = TokenKind::kRootStart;
      return lastAngle_ + 1 - at;
    }
    return 1;
  }
  if (text_.substr(at, 4) == "<!--") {
    token.kind = TokenKind::kCommentStart;
    return 4;
  }
  const bool isEnd = text_.substr(at, 2) == "</";
  const std::size_t nameStart = at + (isEnd ? 2 : 1);
  std::size_t nameEnd = nameStart;
  while (nameEnd < text_.size() && nameEnd - nameStart <= kLongestTagName &&
         IsTagNameChar(text_[nameEnd])) {
    ++nameEnd;
  }
  if (nameEnd >= text_.size()) return 1;
  const std::string_view name = text_.substr(nameStart, nameEnd - nameStart);
  const char after = text_[nameEnd];
  if (after == '>') {
    const TagName* entry = FindTag(name);
    if (entry == nullptr || (!isEnd && !entry->hasStartTag)) return 1;
    token.kind = isEnd ? TokenKind::kEndTag : TokenKind::kStartTag;
    token.tag = entry->tag;
    return nameEnd + 1 - at;
  }
  if (!isEnd && (after == ' ' || after == '\t')) {
    if (EqualsUpper("RESOURCE", name)) {
      token.kind = TokenKind::kResourceStart;
    } else if (EqualsUpper("PRIVATE", name)) {
      token.kind = TokenKind::kPrivateStart;
    } else if (EqualsUpper("PROJECT_PATH", name)) {
      token.kind = TokenKind::kProjectPathStart;
    } else {
      return 1;
    }
    return nameEnd + 1 - at;
  }
  return 1;
}

std::size_t ProjectFileScanner::MatchAttribute(Token& token) {
  const std::size_t at = position_;
  if (at < failedNameRunEnd_) return 0;
  std::size_t end = at;
  while (end < text_.size() && IsNameChar(text_[end])) ++end;
  // name, "=", a quote, anything but quotes, the same quote
  if (end + 1 < text_.size() && text_[end] == '=' && IsQuote(text_[end + 1])) {
    const std::size_t close = text_.find_first_of("'\"", end + 2);
    if (close != kNone && text_[close] == text_[end + 1]) {
      token.kind = TokenKind::kOtherAttribute;
      const std::string_view name = text_.substr(at, end - at);
      for (const AttributeName& known : kAttributeNames) {
        if (EqualsUpper(known.name, name)) {
          token.kind = TokenKind::kKnownAttribute;
          token.attribute = known.attribute;
          break;
        }
      }
      return close + 1 - at;
    }
  }
  failedNameRunEnd_ = end;
  return 0;
}

void ProjectFileScanner::UpdateLine() {
  if (lineKnown_ && position_ < lineEnd_) return;
  lineKnown_ = true;
  lastAngle_ = kNone;
  lastQuestion_ = kNone;
  std::size_t i = position_;
  for (; i < text_.size() && !IsLineBreak(text_[i]); ++i) {
    if (text_[i] == '>') {
      lastAngle_ = i;
      if (i > position_ && text_[i - 1] == '?') lastQuestion_ = i - 1;
    }
  }
  lineEnd_ = i;
}

}  // namespace tpsdk
