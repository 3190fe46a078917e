#pragma once
// The project model's message log: a readable text ("LEVEL: message" lines) and a parallel
// record string carrying each message's catalogue number and arguments. A message already
// present in the text, even as part of a longer line, is never logged again.

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "platform/text_object.h"

namespace tpsdk {

// Message levels; a status mask is the OR of the levels logged since the log was cleared.
inline constexpr int kCancelled = 1;
inline constexpr int kInfo = 2;
inline constexpr int kWarning = 4;
inline constexpr int kError = 8;

// One argument of a message: "%s" takes text, "%d" a whole number. Kept by reference: the
// argument lives until the call that logs it returns.
class MessageArg {
 public:
  MessageArg(const char* text) : text_(text ? text : "") {}
  MessageArg(std::string_view text) : text_(text) {}
  MessageArg(const std::string& text) : text_(text) {}
  MessageArg(const platform::TextObject& text) : text_(text.view()) {}
  MessageArg(int number) : number_(number), isNumber_(true) {}
  MessageArg(long number) : number_(number), isNumber_(true) {}
  MessageArg(long long number) : number_(number), isNumber_(true) {}
  MessageArg(unsigned number) : number_(number), isNumber_(true) {}
  MessageArg(std::size_t number) : number_(static_cast<long long>(number)), isNumber_(true) {}

  // The argument as "%d" or "%s" would print it.
  void AppendTo(std::string& out) const;

 private:
  std::string_view text_;
  long long number_ = 0;
  bool isNumber_ = false;
};

// Fills a message format's "%s" and "%d" in order ("%%" is a percent sign); surplus
// conversions print nothing, surplus arguments are ignored. Never cuts the result.
std::string FormatMessage(std::string_view format, std::initializer_list<MessageArg> args);

// "CANCELLED", "INFO", "WARNING" or "ERROR"; empty for any other value.
std::string_view LevelName(int level);

class MessageLog {
 public:
  // Appends one message unless its level is not a level or its line is already in the text.
  void Log(int level, std::string_view format, std::initializer_list<MessageArg> args = {});
  // Appends text formatted elsewhere (the position messages); its record carries -1.
  void LogFormatted(int level, std::string_view text);
  // Appends an archive engine's message: the text without a level prefix, an ERROR record.
  void AppendEngineMessage(std::string_view format, std::string_view text);
  void Clear();

  int StatusMask() const { return mask_; }  // computed as the text grows, never rescanned
  bool HasError() const { return (mask_ & kError) != 0; }
  const char* Text() const { return text_.c_str(); }        // valid until the next change
  const char* Records() const { return records_.c_str(); }  // valid until the next change
  // True when line occurs anywhere in the text (the rule that keeps duplicates out).
  bool Contains(std::string_view line) const;

 private:
  // Indexes a suffix of a stored line by its first bytes, so that a message is looked up
  // without scanning the whole text.
  struct Entry {
    std::string_view suffix;  // to the end of its line piece
    std::string_view Key() const;
    bool operator<(const Entry& other) const { return Key() < other.Key(); }
  };
  void AppendText(std::string_view piece);
  void AppendRecord(std::string_view record);
  void Index(std::string_view piece);

  std::string text_;
  std::string records_;
  int mask_ = 0;
  std::deque<std::string> pieces_;  // the text's lines split at line feeds; stable storage
  std::multiset<Entry> index_;
};

// The record of one message: level, catalogue number, conversion count, values, format.
std::string MessageRecord(int level, std::string_view format, std::string_view message);

}  // namespace tpsdk
