#pragma once
#include <span>
#include <string_view>

#include "frame/job_file.h"

namespace trm {

// Writes one load_file record: the command line with the byte count, then the data (a DOS EPS
// file without its binary header and preview) as ASCII85 opened by "<~", or as hexadecimal
// when hex is set.
int WriteDiskLoadRecord(const JobContext& context, std::span<const unsigned char> data,
                        std::string_view printerName, std::string_view parameters, bool hex);

// The same record for a local file, checked and read as it is encoded: a large file streams
// through in pieces instead of being held whole, with the same bytes as a result.
int WriteFileLoadRecord(const JobContext& context, const std::string& localPath,
                        std::string_view printerName, std::string_view parameters, bool hex);

}  // namespace trm
