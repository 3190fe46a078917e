#include "interpreter/builtin_image.h"

#include "interpreter/builtin_image_data.h"

namespace trm {

std::span<const ImageFile> BuiltinImageFiles() {
  return GeneratedImageFiles();
}

const ImageFile* FindBuiltinImageFile(std::string_view printerName) {
  for (const ImageFile& file : GeneratedImageFiles()) {
    if (file.printerName == printerName) return &file;
  }
  return nullptr;
}

std::string_view BuiltinImageRecords() {
  return GeneratedImageRecords();
}

std::string_view BuiltinLumenRecords() {
  return GeneratedLumenRecords();
}

std::string_view BuiltinKORAVersion() {
  const ImageFile* ver = FindBuiltinImageFile("mtb/VER");
  if (!ver) return {};
  std::string_view text = ver->bytes;
  const std::size_t end = text.find_first_of("\r\n");
  return end == std::string_view::npos ? text : text.substr(0, end);
}

}  // namespace trm
