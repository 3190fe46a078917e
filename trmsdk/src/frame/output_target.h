#pragma once
#include <optional>
#include <string>

namespace trm {

// The file a job for an output path is really written to: the path itself, or, when it is a
// symbolic link, the file at the end of the link chain, so that the link stays a link. Nothing
// when the chain loops or a link cannot be read.
std::optional<std::string> OutputTarget(const std::string& outputPath);

}  // namespace trm
