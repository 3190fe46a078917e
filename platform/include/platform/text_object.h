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
  TextObject();                           // empty text
  explicit TextObject(const char* text);  // a copy of text; null gives the empty text
  TextObject(const TextObject&) = delete;
  TextObject& operator=(const TextObject&) = delete;
  ~TextObject();

  // Null texts count as empty everywhere; no method ever keeps a pointer it was given.
  std::size_t set(const char* text);             // copies text in; returns stored length + 1
  std::size_t setFrom(const TextObject& other);  // copies other's text; returns length + 1
  void append(const char* text);                 // may append the object's own text
  void appendFrom(const TextObject& other);      // may append the object itself
  void appendChar(char c);                       // any byte, NUL included
  std::size_t length() const;                    // bytes, not characters
  const char* cstr() const;                      // valid until the next change; never null
  // The "NoCase" methods compare byte for byte, letter case counting, exactly like their
  // plain twins: the names are fixed by the operation table the libraries share, and the
  // callers (printer and resource names) rely on case counting.
  bool equals(const char* text) const;                    // the whole text equals text
  bool equalsNoCase(const char* text) const;              // byte for byte despite the name
  bool equalsObj(const TextObject& other) const;          // the whole text equals other's
  bool equalsObjNoCase(const TextObject& other) const;    // byte for byte despite the name
  bool contains(const char* text) const;                  // text occurs; an empty one always
  bool containsNoCase(const char* text) const;            // byte for byte despite the name
  bool containsObj(const TextObject& other) const;        // other's text occurs
  bool containsObjNoCase(const TextObject& other) const;  // byte for byte despite the name
  bool isEmpty() const;                                   // length is 0
  long findChar(char c) const;                            // first index of c; -1 when absent
  long findLastChar(char c) const;                        // last index of c; -1 when absent
  long find(const char* text) const;  // first index of text; 0 for empty; -1 when absent
  // The four cutters store into target and never read past the text's end: positions and
  // counts beyond it are cut to it.
  void left(TextObject& target, std::size_t n) const;                    // first n bytes
  void mid(TextObject& target, std::size_t start, std::size_t n) const;  // n from start
  void from(TextObject& target, std::size_t start) const;                // start to the end
  void right(TextObject& target, std::size_t n) const;                   // last n bytes
  // Every occurrence, left to right, without overlap; the inserted text is never searched
  // again; an empty search leaves the text unchanged.
  void replaceAll(const char* search, const char* replacement);
  void clear();  // stores the empty text
  // printf-style; the result is kept whole, whatever its length; returns length + 1.
  std::size_t format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  std::size_t vformat(const char* fmt, va_list args);  // format with a va_list
  void release();  // frees the buffer; cstr() then gives "" until the next change

  std::string_view view() const { return {buffer_.get(), size_}; }  // valid until a change

 private:
  void store(std::string_view text);
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
};

std::unique_ptr<TextObject> TextNew();                   // a new empty text; never null
std::unique_ptr<TextObject> TextFrom(const char* text);  // a new copy of text; never null

// A hook the libraries call on texts containing "%"; the default leaves them unchanged.
using TextHook = void (*)(TextObject&);
void SetTextHook(TextHook hook);      // null restores the default; safe from any thread
void CallTextHook(TextObject& text);  // runs the current hook on text

}  // namespace platform
