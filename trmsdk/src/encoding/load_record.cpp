#include "encoding/load_record.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/dos_eps.h"
#include "encoding/hex.h"
#include "encoding/piece_pipeline.h"
#include "encoding/source_file.h"
#include "stream/job_text.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::size_t kLoadRecordLineBytes = 512;
// Files up to this size are encoded whole; larger ones stream through in pieces.
constexpr std::size_t kStreamThreshold = std::size_t{2} << 20;
constexpr unsigned char kDosEpsMagic[] = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr std::string_view kAscii85Opening = "<~";

std::string Encode(std::span<const unsigned char> data, bool hex) {
  return hex ? EncodeHex(data, 0, kLoadRecordLineBytes)
             : EncodeAscii85(data, 0, kLoadRecordLineBytes);
}

// The command line with the exact byte count, which the printer checks before it stores the
// file, and the ASCII85 opening "<~" by which it tells the encodings apart (hex data never
// start with "<").
std::string RecordHead(std::uint64_t count, std::string_view printerName,
                       std::string_view parameters, bool hex) {
  std::string head = LoadFileCommand(static_cast<long long>(count), printerName, parameters);
  if (!hex) head += kAscii85Opening;
  return head;
}

// Reads and encodes the file piece after piece, a few pieces ahead of the writer, so memory
// stays small whatever the file's size. Without a second thread each piece is written before
// the next is read.
int StreamRecord(const JobContext& context, SourceFile& source, std::string_view printerName,
                 std::string_view parameters, bool hex) {
  const std::uint64_t size = source.size();
  int code = context.Section(RecordHead(size, printerName, parameters, hex));
  if (code != TRM_OK) return code;

  std::optional<PiecePipeline> pipeline;
  try {
    pipeline.emplace(source, hex);
  } catch (const std::system_error&) {
  }
  if (pipeline) {
    bool readFailed = false;
    while (const std::string* text = pipeline->Next(&readFailed)) {
      if (!context.out.Write(*text)) return context.WriteFailure();
      pipeline->Release();
    }
    if (readFailed) return context.Fail(TRM_SOURCE_UNREADABLE, source.path());
  } else {
    std::vector<unsigned char> bytes;
    std::string text;
    for (std::uint64_t offset = 0; offset < size;) {
      const auto length =
          static_cast<std::size_t>(std::min<std::uint64_t>(kStreamPieceBytes, size - offset));
      offset += length;
      bytes.resize(length);
      if (!source.ReadExactly(bytes)) return context.Fail(TRM_SOURCE_UNREADABLE, source.path());
      EncodeRecordPiece(bytes, hex, offset == size, text);
      if (!context.out.Write(text)) return context.WriteFailure();
    }
  }
  if (!context.out.Flush()) return context.WriteFailure();
  // The count was taken from the size: a file that grew is refused.
  return source.AtEnd() ? TRM_OK : context.Fail(TRM_SOURCE_UNREADABLE, source.path());
}

}  // namespace

void EncodeRecordPiece(std::span<const unsigned char> bytes, bool hex, bool last,
                       std::string& text) {
  if (hex) {
    EncodeHexInto(bytes, 0, kLoadRecordLineBytes, text);
    if (!last) text.push_back('\n');
  } else {
    EncodeAscii85Into(bytes, 0, kLoadRecordLineBytes, text);
    if (!last && text.ends_with("~>\n")) text.erase(text.size() - 3);
  }
}

int WriteDiskLoadRecord(const JobContext& context, std::span<const unsigned char> data,
                        std::string_view printerName, std::string_view parameters, bool hex) {
  auto stripped = StripDosEps(data);
  std::span<const unsigned char> payload =
      stripped ? std::span<const unsigned char>(*stripped) : data;
  // Hex data of no bytes would be no text at all: an empty file goes as ASCII85 "<~~>".
  if (payload.empty()) hex = false;
  int code = context.Section(RecordHead(payload.size(), printerName, parameters, hex));
  if (code != TRM_OK) return code;
  return context.Section(Encode(payload, hex));
}

int WriteFileLoadRecord(const JobContext& context, const std::string& localPath,
                        std::string_view printerName, std::string_view parameters, bool hex) {
  SourceFile source;
  int code = source.Open(context, localPath);
  if (code != TRM_OK) return code;
  unsigned char magic[sizeof kDosEpsMagic] = {};
  bool mayBeEps = source.size() >= sizeof magic && source.Peek(magic) &&
                  std::equal(std::begin(magic), std::end(magic), std::begin(kDosEpsMagic));
  if (source.size() > kStreamThreshold && !mayBeEps) {
    return StreamRecord(context, source, printerName, parameters, hex);
  }
  std::vector<unsigned char> data(source.size());
  if (!source.ReadExactly(data) || !source.AtEnd()) {
    return context.Fail(TRM_SOURCE_UNREADABLE, localPath);
  }
  return WriteDiskLoadRecord(context, data, printerName, parameters, hex);
}

}  // namespace trm
