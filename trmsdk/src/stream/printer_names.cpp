#include "stream/printer_names.h"

#include <array>
#include <utility>

#include "platform/ascii_case.h"

namespace trm {
namespace {

constexpr std::array<std::string_view, 8> kLibraryMarkers{"/formlib/",  "/imglib/", "/jdtlib/",
                                                          "/encoding/", "/mislib/", "/decomp/",
                                                          "/demo/",     "/fontlib/"};

constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kExtensionFolders{{
    {"frm", "mtbc/formlib/"},
    {"seg", "mtbc/formlib/"},
    {"dbm", "mtbc/formlib/"},
    {"jpg", "mtbc/imglib/"},
    {"tif", "mtbc/imglib/"},
    {"pfa", "mtbc/fontlib/"},
    {"pfb", "mtbc/fontlib/"},
    {"fnt", "mtbc/fontlib/"},
    {"jdt", "mtbc/jdtlib/"},
    {"xjt", "mtbc/jdtlib/"},
    {"enc", "mtbc/encoding/"},
}};

// Only the all-lower and all-upper spellings count: "Frm" is not a form.
bool SameExtension(std::string_view extension, std::string_view lower) {
  return extension == lower || extension == platform::AsciiUpper(lower);
}

std::string_view FolderForExtension(std::string_view path) {
  std::size_t dot = path.rfind('.');
  std::string_view extension =
      (dot == path.npos || dot + 1 == path.size()) ? path : path.substr(dot + 1);
  for (const auto& [known, folder] : kExtensionFolders) {
    if (SameExtension(extension, known)) return folder;
  }
  return "mtbc/mislib/";
}

}  // namespace

std::string ResourcePrinterName(std::string_view folder, std::string_view project,
                                std::string_view name, int scope, std::string_view type) {
  std::string result;
  if (type == "fnt") {
    result.append("mtbc/fontlib/").append(name);
  } else if (scope == 0) {
    result.append("mtbc/").append(folder).append("/").append(project).append("/").append(name);
  } else if (scope == 1) {
    result.append("mtbc/").append(folder).append("/fshared/").append(name);
  } else {
    result.append("mtbc/gshared/").append(name);
  }
  return result;
}

std::string LocalToPrinterName(std::string_view localPath) {
  if (localPath.empty()) return {};
  std::string path;
  path.reserve(localPath.size());
  for (char c : localPath) {
    char normal = c == '\\' ? '/' : c;
    if (normal == '/' && !path.empty() && path.back() == '/') continue;
    path.push_back(normal);
  }
  for (std::string_view marker : kLibraryMarkers) {
    std::size_t at = path.find(marker);
    if (at != path.npos) {
      return (marker == "/demo/" ? "mtb" : "mtbc") + path.substr(at);
    }
  }
  std::size_t slash = path.rfind('/');
  std::string base = slash == path.npos ? path : path.substr(slash + 1);
  return std::string(FolderForExtension(path)) + base;
}

}  // namespace trm
