#pragma once
// The option records behind the opaque types of trm.h.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame/cover_index.h"
#include "frame/local_file_index.h"

using OptionalText = std::optional<std::string>;
// A list is absent until its first entry is taken.
using OptionalList = std::optional<std::vector<std::string>>;

struct trmPPS {
  OptionalText folderName;
  OptionalText projectName;
  OptionalText projectFile;
  OptionalText containerFile;
  int processingMode = 2001;
  std::uint32_t flags = 0;
  OptionalText KORAPath;
  OptionalText stubPath;
  OptionalText submissionFile;
  OptionalList selectedResources;
  trm::CoverIndex selectedIndex;
  OptionalText statusLabel;
  int pageRangeMode = 2;
  int firstPage = 1;
  int lastPage = 65535;
};

struct trmVOS {
  OptionalText outputPath;
  std::uint32_t flags = 0;
};

struct trmFOS {
  OptionalList loadFilesList;
  OptionalList printerFilesList;
  OptionalList removeFilesList;
  trm::LocalFileIndex loadIndex;
  trm::CoverIndex removeIndex;
  OptionalList loadFontsList;
  OptionalText listPattern;
  std::uint32_t flags = 0;
  OptionalText statusLabel;
};

struct trmIOS {
  std::uint32_t flags = 0;
  OptionalText localKORADir;
  OptionalText statusLabel;
};

namespace trm {

// A set text, or empty when unset: what "missing or empty" checks and labels use.
inline const std::string& TextOrEmpty(const OptionalText& text) {
  static const std::string empty;
  return text ? *text : empty;
}

// A text that is set and not empty: what required parameters must be.
inline bool IsSetText(const OptionalText& text) {
  return text && !text->empty();
}

}  // namespace trm
