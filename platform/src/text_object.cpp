#include "platform/text_object.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

namespace {

// Null texts are treated as empty ones, so no operation ever dereferences a null pointer.
std::string_view Arg(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}

}  // namespace

TextObject::TextObject() {
  store({});
}

TextObject::TextObject(const char* text) {
  store(Arg(text));
}

TextObject::~TextObject() = default;

// Every change gets a fresh buffer of exactly length + 1 bytes. The new buffer is filled before
// the old one goes, so a source that points into this object's own text stays valid.
void TextObject::store(std::string_view text) {
  auto fresh = std::make_unique<char[]>(text.size() + 1);
  if (!text.empty()) std::memcpy(fresh.get(), text.data(), text.size());
  fresh[text.size()] = '\0';
  buffer_ = std::move(fresh);
  size_ = text.size();
}

std::size_t TextObject::set(const char* text) {
  if (!text) {
    clear();
    return 1;
  }
  store(text);
  return size_ + 1;
}

std::size_t TextObject::setFrom(const TextObject& other) {
  store(other.view());
  return size_ + 1;
}

void TextObject::append(const char* text) {
  std::string joined(view());
  joined.append(Arg(text));
  store(joined);
}

void TextObject::appendFrom(const TextObject& other) {
  std::string joined(view());
  joined.append(other.view());
  store(joined);
}

void TextObject::appendChar(char c) {
  std::string joined(view());
  joined.push_back(c);
  store(joined);
}

std::size_t TextObject::length() const {
  return size_;
}

const char* TextObject::cstr() const {
  return buffer_ ? buffer_.get() : "";
}

bool TextObject::equals(const char* text) const {
  return view() == Arg(text);
}

// The "NoCase" slots compare exactly like their plain twins: the callers were written against
// that behaviour (printer names and resource names are matched with case counting).
bool TextObject::equalsNoCase(const char* text) const {
  return equals(text);
}

bool TextObject::equalsObj(const TextObject& other) const {
  return view() == other.view();
}

bool TextObject::equalsObjNoCase(const TextObject& other) const {
  return equalsObj(other);
}

bool TextObject::contains(const char* text) const {
  return view().find(Arg(text)) != std::string_view::npos;
}

bool TextObject::containsNoCase(const char* text) const {
  return contains(text);
}

bool TextObject::containsObj(const TextObject& other) const {
  return view().find(other.view()) != std::string_view::npos;
}

bool TextObject::containsObjNoCase(const TextObject& other) const {
  return containsObj(other);
}

bool TextObject::isEmpty() const {
  return size_ == 0;
}

long TextObject::findChar(char c) const {
  auto pos = view().find(c);
  return pos == std::string_view::npos ? -1 : static_cast<long>(pos);
}

long TextObject::findLastChar(char c) const {
  auto pos = view().rfind(c);
  return pos == std::string_view::npos ? -1 : static_cast<long>(pos);
}

long TextObject::find(const char* text) const {
  auto pos = view().find(Arg(text));
  return pos == std::string_view::npos ? -1 : static_cast<long>(pos);
}

void TextObject::left(TextObject& target, std::size_t n) const {
  target.store(view().substr(0, n));
}

void TextObject::mid(TextObject& target, std::size_t start, std::size_t n) const {
  if (start >= size_) {
    target.store({});
    return;
  }
  target.store(view().substr(start, n));
}

void TextObject::from(TextObject& target, std::size_t start) const {
  if (start >= size_) {
    target.store({});
    return;
  }
  target.store(view().substr(start));
}

void TextObject::right(TextObject& target, std::size_t n) const {
  if (n >= size_) {
    target.store(view());
    return;
  }
  target.store(view().substr(size_ - n));
}

void TextObject::replaceAll(const char* search, const char* replacement) {
  const std::string_view needle = Arg(search);
  if (needle.empty()) return;
  const std::string_view text = view();
  std::size_t pos = text.find(needle);
  if (pos == std::string_view::npos) return;
  const std::string_view with = Arg(replacement);
  std::string result;
  std::size_t done = 0;
  while (pos != std::string_view::npos) {
    result.append(text.substr(done, pos - done));
    result.append(with);
    done = pos + needle.size();
    pos = text.find(needle, done);
  }
  result.append(text.substr(done));
  store(result);
}

void TextObject::clear() {
  release();
  store({});
}

std::size_t TextObject::format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  const std::size_t stored = vformat(fmt, args);
  va_end(args);
  return stored;
}

std::size_t TextObject::vformat(const char* fmt, va_list args) {
  if (!fmt) {
    clear();
    return 1;
  }
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, fmt, measure);
  va_end(measure);
  if (needed < 0) {
    clear();
    return 1;
  }
  // The whole result, however long: no scratch buffer that would cut it.
  std::string result(static_cast<std::size_t>(needed) + 1, '\0');
  std::vsnprintf(result.data(), result.size(), fmt, args);
  result.resize(static_cast<std::size_t>(needed));
  store(result);
  return size_ + 1;
}

void TextObject::release() {
  buffer_.reset();
  size_ = 0;
}

std::unique_ptr<TextObject> TextNew() {
  return std::make_unique<TextObject>();
}

std::unique_ptr<TextObject> TextFrom(const char* text) {
  return std::make_unique<TextObject>(text);
}

}  // namespace platform
