#pragma once
// Cuts a project file's text into tokens, one at a time: every known tag is a token of its own,
// names are matched without regard to letter case, the longest match wins and equally long
// matches go to the kind listed first. Tokens are views into the text; nothing is copied and
// nothing is kept per token, so a file of any size is scanned in one pass.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tpsdk {

// In the order that breaks ties between equally long matches.
enum class TokenKind : std::uint8_t {
  kXmlDeclaration,    // "<?xml" ... "?>", the longest run on its line
  kRootStart,         // "<TPF" ... ">", the longest run on its line
  kStartTag,          // "<NAME>" of an element (see tag)
  kEndTag,            // "</NAME>" (see tag)
  kResourceStart,     // "<RESOURCE" and one blank or tab
  kEmptyTagEnd,       // "/>"
  kCommentStart,      // "<!--"
  kCommentEnd,        // "-->"
  kPrivateStart,      // "<PRIVATE" and one blank or tab
  kProjectPathStart,  // "<PROJECT_PATH" and one blank or tab
  kKnownAttribute,    // a known name (see attribute), "=", a quoted value
  kOtherAttribute,    // letters, digits or "_", "=", a quoted value
  kWhiteSpace,        // blanks, tabs, carriage returns, line feeds
  kWord,              // letters and digits
  kOtherCharacter,    // any other single byte
};

// Elements whose exact start and end tags are tokens. The last three have end tags only.
enum class Tag : std::uint8_t {
  kNone,
  kCopyright,
  kProjectType,
  kFolderName,
  kProjectName,
  kProjectVersion,
  kProjectTitle,
  kProjectDescription,
  kAuthor,
  kKeywords,
  kGenerator,
  kCreationDate,
  kModifications,
  kModification,
  kDate,
  kUser,
  kActions,
  kAction,
  kResources,
  kInformation,
  kPrivate,      // end tag only
  kProjectPath,  // end tag only
  kTpf,          // end tag only
};

enum class Attribute : std::uint8_t {
  kNone,
  kName,
  kType,
  kScope,
  kSubmissionOrder,
  kJobTicketOrder,
  kJobTicketId,
  kDescription,
  kMime,
  kPrecaching,
};

struct Token {
  TokenKind kind = TokenKind::kOtherCharacter;
  Tag tag = Tag::kNone;                    // start and end tags
  Attribute attribute = Attribute::kNone;  // known attributes
  std::string_view text;                   // a view into the scanned text
  std::size_t offset = 0;                  // of the first byte in the scanned text

  bool Is(TokenKind k, Tag t) const { return kind == k && tag == t; }
};

class ProjectFileScanner {
 public:
  // The text must outlive the scanner and every token it hands out.
  explicit ProjectFileScanner(std::string_view text) : text_(text) {}

  // The next token, consumed; false at the end of the text.
  bool Next(Token& token);
  // The next token without consuming it; null at the end of the text.
  const Token* Peek();
  // Consumes tokens up to and including the first end tag of that element and returns the
  // text before it (up to the end of the text when there is none), as one slice of the text.
  std::string_view CollectUntilEndTag(Tag tag);
  // The same for a text given in upper case, found without regard to letter case or to the
  // tokens around it: a block of opaque data ends at the first occurrence, whatever precedes it.
  std::string_view CollectUntilText(std::string_view upper);

  std::string_view text() const { return text_; }
  // Offset of the next token (the end of the last one consumed).
  std::size_t position() const { return peeked_ ? peek_.offset : position_; }

 private:
  Token Scan();
  std::size_t MatchAngle(Token& token);
  std::size_t MatchAttribute(Token& token);
  void UpdateLine();

  std::string_view text_;
  std::size_t position_ = 0;
  Token peek_;
  bool peeked_ = false;
  // The line that holds position_, from the first position it was examined at: its end and
  // its last ">" and "?>", so that the two longest-run kinds never rescan a line.
  std::size_t lineEnd_ = 0;
  std::size_t lastAngle_ = 0;     // npos when none
  std::size_t lastQuestion_ = 0;  // of the last "?>"; npos when none
  bool lineKnown_ = false;
  // An attribute tried inside a run of name characters fails like the one tried at the run's
  // start; the end of the last such run is kept so that no run is rescanned.
  std::size_t failedNameRunEnd_ = 0;
};

}  // namespace tpsdk
