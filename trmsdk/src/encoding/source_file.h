#pragma once
#include <string_view>
#include <vector>

#include "frame/job_file.h"

namespace trm {

// Reads a local file to embed: 1003 when missing, 1023 when empty or larger than the maximum
// source size, 1012 when unreadable (each naming the path); 1001 with the bytes otherwise.
int ReadSourceFile(const JobContext& context, const std::string& path,
                   std::vector<unsigned char>& data);

}  // namespace trm
