#pragma once
#include <span>
#include <string_view>

#include "frame/job_file.h"

namespace trm {

// Writes one load_file record: the command line, then the file's data (a DOS EPS file without
// its binary header and preview) as ASCII85, or as counted hexadecimal when hex is set.
int WriteDiskLoadRecord(const JobContext& context, std::span<const unsigned char> data,
                        std::string_view printerName, std::string_view parameters, bool hex);

}  // namespace trm
