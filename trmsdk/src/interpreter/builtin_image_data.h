#pragma once
// What the build made of the interpreter image folder (defined in a generated source).
#include <span>
#include <string_view>

#include "interpreter/builtin_image.h"

namespace trm {

std::span<const ImageFile> GeneratedImageFiles();
std::string_view GeneratedImageRecords();
std::string_view GeneratedLumenRecords();

}  // namespace trm
