#include "tpsdk/message_log.h"

#include <array>
#include <string>
#include <vector>

#include "tpsdk/message_catalogue.h"

namespace tpsdk {

namespace {

constexpr std::array<std::string_view, 4> kLevelWords = {"CANCELLED", "INFO", "WARNING", "ERROR"};
constexpr std::array<int, 4> kLevelBits = {kCancelled, kInfo, kWarning, kError};

// Index keys are this long at most: a lookup compares no more, and longer lines are checked
// in full only where their first bytes match.
constexpr std::size_t kKeyBytes = 256;

bool IsWordBreak(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsWordBreak(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsWordBreak(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

int MaskOf(std::string_view text) {
  int mask = 0;
  for (std::size_t i = 0; i < kLevelWords.size(); ++i) {
    if (text.find(kLevelWords[i]) != std::string_view::npos) mask |= kLevelBits[i];
  }
  return mask;
}

}  // namespace

void MessageArg::AppendTo(std::string& out) const {
  if (isNumber_) {
    out += std::to_string(number_);
  } else {
    out += text_;
  }
}

std::string FormatMessage(std::string_view format, std::initializer_list<MessageArg> args) {
  std::string out;
  out.reserve(format.size() + 64);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    char conversion = format[++i];
    if (conversion == '%') {
      out += '%';
    } else if (next != args.end()) {
      (next++)->AppendTo(out);
    }
  }
  return out;
}

std::string_view LevelName(int level) {
  for (std::size_t i = 0; i < kLevelBits.size(); ++i) {
    if (kLevelBits[i] == level) return kLevelWords[i];
  }
  return {};
}

std::string MessageRecord(int level, std::string_view format, std::string_view message) {
  const std::vector<std::string_view> formatWords = Words(format);
  const std::vector<std::string_view> messageWords = Words(message);
  std::string values;
  int conversions = 0;
  std::size_t m = 0;  // message word paired with the current format word
  for (std::string_view formatWord : formatWords) {
    if (formatWord.find('%') != std::string_view::npos) {
      ++conversions;
      std::string value;
      if (m < messageWords.size()) {
        value = messageWords[m];
        // A parenthesised value spans words: it runs to the first word holding ")".
        if (value.starts_with('(') && value.find(')') == std::string::npos) {
          while (m + 1 < messageWords.size()) {
            value += ' ';
            value += messageWords[++m];
            if (messageWords[m].find(')') != std::string_view::npos) break;
          }
        }
      }
      std::string cleaned;
      const bool parenthesised = value.starts_with('(');
      for (char c : value) {
        if (c == '\'') continue;
        cleaned += (parenthesised && (c == '(' || c == ')')) ? '"' : c;
      }
      values += cleaned;
      values += ',';
    }
    ++m;
  }
  std::string record(LevelName(level));
  record += ',';
  record += std::to_string(CatalogueNumber(format));
  record += ',';
  record += std::to_string(conversions);
  record += ',';
  if (conversions != 0) record += values;
  record += '"';
  record += format;
  record += '"';
  return record;
}

std::string_view MessageLog::Entry::Key() const {
  return suffix.substr(0, kKeyBytes);
}

void MessageLog::Log(int level, std::string_view format, std::initializer_list<MessageArg> args) {
  std::string message = FormatMessage(format, args);
  std::string_view levelName = LevelName(level);
  if (levelName.empty()) return;
  std::string line(levelName);
  line += ": ";
  line += message;
  if (Contains(line)) return;
  AppendText(line);
  AppendRecord(MessageRecord(level, format, message));
}

void MessageLog::LogFormatted(int level, std::string_view text) {
  std::string_view levelName = LevelName(level);
  if (levelName.empty()) return;
  std::string line(levelName);
  line += ": ";
  line += text;
  if (Contains(line)) return;
  AppendText(line);
  AppendRecord(MessageRecord(level, text, text));
}

void MessageLog::AppendEngineMessage(std::string_view format, std::string_view text) {
  if (text.empty()) return;
  AppendText(text);
  AppendRecord(MessageRecord(kError, format, text));
}

void MessageLog::Clear() {
  text_.clear();
  records_.clear();
  mask_ = 0;
  index_.clear();
  pieces_.clear();
}

bool MessageLog::Contains(std::string_view line) const {
  // A line holding a line feed may span stored lines: search the text itself (rare).
  if (line.find('\n') != std::string_view::npos) {
    return text_.find(line) != std::string::npos;
  }
  // Every occurrence starts at an indexed position: a piece's start, or a level word inside
  // a piece (a line always starts with one).
  Entry probe{line};
  const std::string_view key = probe.Key();
  for (auto it = index_.lower_bound(probe); it != index_.end(); ++it) {
    if (!it->suffix.starts_with(key)) break;
    if (it->suffix.starts_with(line)) return true;
  }
  return false;
}

void MessageLog::AppendText(std::string_view piece) {
  if (!text_.empty()) text_ += '\n';
  text_ += piece;
  mask_ |= MaskOf(piece);
  std::size_t start = 0;
  while (start <= piece.size()) {
    std::size_t end = piece.find('\n', start);
    if (end == std::string_view::npos) end = piece.size();
    Index(piece.substr(start, end - start));
    start = end + 1;
  }
}

void MessageLog::AppendRecord(std::string_view record) {
  if (!records_.empty()) records_ += '|';
  records_ += record;
}

void MessageLog::Index(std::string_view piece) {
  if (piece.empty()) return;
  const std::string& stored = pieces_.emplace_back(piece);
  const std::string_view view = stored;
  index_.insert(Entry{view});
  for (std::string_view word : kLevelWords) {
    for (std::size_t at = view.find(word, 1); at != std::string_view::npos;
         at = view.find(word, at + 1)) {
      index_.insert(Entry{view.substr(at)});
    }
  }
}

}  // namespace tpsdk
