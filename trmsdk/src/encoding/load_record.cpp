#include "encoding/load_record.h"

#include <algorithm>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/dos_eps.h"
#include "encoding/hex.h"
#include "encoding/source_file.h"
#include "stream/job_text.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::size_t kLoadRecordLineBytes = 512;
// Files up to this size are encoded whole; larger ones in pieces of this many bytes (whole
// lines), each piece read and encoded while the previous one is written.
constexpr std::size_t kStreamPieceBytes = std::size_t{4} << 20;
constexpr unsigned char kDosEpsMagic[] = {0xC5, 0xD0, 0xD3, 0xC6};

std::string Encode(std::span<const unsigned char> data, bool hex) {
  return hex ? EncodeHex(data, 0, kLoadRecordLineBytes)
             : EncodeAscii85(data, 0, kLoadRecordLineBytes);
}

// One piece of the data as it stands inside the whole record: every piece but the last ends
// with its line end and without the record's end marker.
std::string EncodePiece(std::span<const unsigned char> piece, bool hex, bool last) {
  std::string text = Encode(piece, hex);
  if (last) return text;
  if (hex) {
    text.push_back('\n');
  } else if (text.ends_with("~>\n")) {
    text.erase(text.size() - 3);
  }
  return text;
}

struct Piece {
  bool readOk = false;
  std::string text;
};

int StreamRecord(const JobContext& context, SourceFile& source, std::string_view printerName,
                 std::string_view parameters, bool hex) {
  const std::uint64_t size = source.size();
  int code = context.Section(
      LoadFileCommand(hex ? static_cast<long long>(size) : 0, printerName, parameters));
  if (code != TRM_OK) return code;

  auto produce = [&source, hex, size](std::uint64_t offset) {
    Piece piece;
    std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kStreamPieceBytes, size - offset));
    std::vector<unsigned char> buffer(length);
    piece.readOk = source.ReadExactly(buffer);
    if (piece.readOk) piece.text = EncodePiece(buffer, hex, offset + length == size);
    return piece;
  };
  Piece current = produce(0);
  for (std::uint64_t offset = 0;;) {
    if (!current.readOk) return context.Fail(TRM_SOURCE_UNREADABLE, source.path());
    offset += std::min<std::uint64_t>(kStreamPieceBytes, size - offset);
    std::future<Piece> next;
    if (offset < size) next = std::async(std::launch::async, produce, offset);
    bool written = context.out.Write(current.text);
    if (!next.valid()) {
      if (!written || !context.out.Flush()) return context.WriteFailure();
      // The count of a hexadecimal record was taken from the size: a file that grew is refused.
      return source.AtEnd() ? TRM_OK : context.Fail(TRM_SOURCE_UNREADABLE, source.path());
    }
    current = next.get();
    if (!written) return context.WriteFailure();
  }
}

}  // namespace

int WriteDiskLoadRecord(const JobContext& context, std::span<const unsigned char> data,
                        std::string_view printerName, std::string_view parameters, bool hex) {
  auto stripped = StripDosEps(data);
  std::span<const unsigned char> payload =
      stripped ? std::span<const unsigned char>(*stripped) : data;
  long long count = hex ? static_cast<long long>(payload.size()) : 0;
  int code = context.Section(LoadFileCommand(count, printerName, parameters));
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
  if (source.size() > kStreamPieceBytes && !mayBeEps) {
    return StreamRecord(context, source, printerName, parameters, hex);
  }
  std::vector<unsigned char> data(source.size());
  if (!source.ReadExactly(data) || !source.AtEnd()) {
    return context.Fail(TRM_SOURCE_UNREADABLE, localPath);
  }
  return WriteDiskLoadRecord(context, data, printerName, parameters, hex);
}

}  // namespace trm
