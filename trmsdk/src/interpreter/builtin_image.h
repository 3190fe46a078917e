#pragma once
// The interpreter image built into the library: its files, and their load_file records made at
// build time.
#include <span>
#include <string_view>

namespace trm {

struct ImageFile {
  std::string_view printerName;  // "mtb/src/mtb.eeh"
  std::string_view bytes;
};

// Every file in install order; the Lumen Imaging module, when the image has one, last.
std::span<const ImageFile> BuiltinImageFiles();
// The file stored under that printer name; null when the image has none.
const ImageFile* FindBuiltinImageFile(std::string_view printerName);
// The hexadecimal load_file records of every file but the Lumen Imaging module, in order.
std::string_view BuiltinImageRecords();
// The record of the Lumen Imaging module; empty when the image has none.
std::string_view BuiltinLumenRecords();
// The version text of the image's mtb/VER, without line ends.
std::string_view BuiltinKORAVersion();

}  // namespace trm
