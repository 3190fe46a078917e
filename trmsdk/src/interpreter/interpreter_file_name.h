#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace trm {

// The printer name of a file of a local installation: "mtb/" and its path below the
// installation folder; nothing when the file lies outside that folder.
std::optional<std::string> InterpreterPrinterName(std::string_view localPath,
                                                  std::string_view installationFolder);

}  // namespace trm
