#pragma once
#include <string>
#include <string_view>

namespace trm {

// Printer file name of a project resource by scope (0 local, 1 folder-shared, else global).
std::string ResourcePrinterName(std::string_view folder, std::string_view project,
                                std::string_view name, int scope, std::string_view type);

// Printer file name for a local file, from its library folder or its extension; empty only for
// an empty path.
std::string LocalToPrinterName(std::string_view localPath);

}  // namespace trm
