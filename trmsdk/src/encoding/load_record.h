#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "frame/job_file.h"

namespace trm {

// A large file is read and encoded in pieces of this many bytes: small enough to stay in the
// core's cache from the read through the encoding to the write, and whole lines.
inline constexpr std::size_t kStreamPieceBytes = std::size_t{256} << 10;

// The data text of one piece of a streamed record, as it stands inside the whole record: every
// piece but the last ends with its line end and without the end marker. The text's storage is
// reused.
void EncodeRecordPiece(std::span<const unsigned char> bytes, bool hex, bool last,
                       std::string& text);

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
