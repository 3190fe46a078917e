#pragma once
// Dynamic text shared by the generator, the project model and the archive engines.
// Every change stores the text in a buffer of exactly the needed size.

#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Methods are declared in the order of the operation table the libraries share.
class TextObject {
 public:
  TextObject();
  explicit TextObject(const char* text);
  TextObject(const TextObject&) = delete;
  TextObject& operator=(const TextObject&) = delete;
  ~TextObject();

  std::size_t set(const char* text);  // null empties; returns stored length + 1
  std::size_t setFrom(const TextObject& other);
  void append(const char* text);
  void appendFrom(const TextObject& other);
  void appendChar(char c);
  std::size_t length() const;
  const char* cstr() const;  // valid until the next change
  bool equals(const char* text) const;
  bool equalsNoCase(const char* text) const;  // same comparison as equals: callers rely on it
  bool equalsObj(const TextObject& other) const;
  bool equalsObjNoCase(const TextObject& other) const;
  bool contains(const char* text) const;
  bool containsNoCase(const char* text) const;
  bool containsObj(const TextObject& other) const;
  bool containsObjNoCase(const TextObject& other) const;
  bool isEmpty() const;
  long findChar(char c) const;      // -1 when absent
  long findLastChar(char c) const;  // -1 when absent
  long find(const char* text) const;
  void left(TextObject& target, std::size_t n) const;
  void mid(TextObject& target, std::size_t start, std::size_t n) const;
  void from(TextObject& target, std::size_t start) const;
  void right(TextObject& target, std::size_t n) const;
  void replaceAll(const char* search, const char* replacement);  // empty search: unchanged
  void clear();
  // printf-style; the result is kept whole, whatever its length.
  std::size_t format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  std::size_t vformat(const char* fmt, va_list args);
  void release();

  std::string_view view() const { return {buffer_.get(), size_}; }

 private:
  void store(std::string_view text);
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
};

std::unique_ptr<TextObject> TextNew();
std::unique_ptr<TextObject> TextFrom(const char* text);

// A hook the libraries call on texts containing "%"; the default leaves them unchanged.
using TextHook = void (*)(TextObject&);
void SetTextHook(TextHook hook);
void CallTextHook(TextObject& text);

}  // namespace platform
