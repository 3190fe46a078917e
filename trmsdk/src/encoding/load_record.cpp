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
constexpr std::size_t kStreamPieceBytes = std::size_t{2} << 20;
constexpr unsigned char kDosEpsMagic[] = {0xC5, 0xD0, 0xD3, 0xC6};

std::string Encode(std::span<const unsigned char> data, bool hex) {
  return hex ? EncodeHex(data, 0, kLoadRecordLineBytes)
             : EncodeAscii85(data, 0, kLoadRecordLineBytes);
}

// One piece of a streamed record: its bytes and their text as it stands inside the whole
// record (every piece but the last ends with its line end and without the end marker). The
// storage of both is reused from piece to piece.
struct Piece {
  std::vector<unsigned char> bytes;
  std::string text;
  bool readOk = false;

  void Produce(SourceFile& source, std::size_t length, bool hex, bool last) {
    bytes.resize(length);
    readOk = source.ReadExactly(bytes);
    if (!readOk) return;
    if (hex) {
      EncodeHexInto(bytes, 0, kLoadRecordLineBytes, text);
      if (!last) text.push_back('\n');
    } else {
      EncodeAscii85Into(bytes, 0, kLoadRecordLineBytes, text);
      if (!last && text.ends_with("~>\n")) text.erase(text.size() - 3);
    }
  }
};

int StreamRecord(const JobContext& context, SourceFile& source, std::string_view printerName,
                 std::string_view parameters, bool hex) {
  const std::uint64_t size = source.size();
  int code = context.Section(
      LoadFileCommand(hex ? static_cast<long long>(size) : 0, printerName, parameters));
  if (code != TRM_OK) return code;

  Piece pieces[2];
  auto produce = [&](Piece& piece, std::uint64_t offset) {
    auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kStreamPieceBytes, size - offset));
    piece.Produce(source, length, hex, offset + length == size);
  };
  produce(pieces[0], 0);
  for (std::uint64_t offset = 0, index = 0;; ++index) {
    Piece& current = pieces[index % 2];
    if (!current.readOk) return context.Fail(TRM_SOURCE_UNREADABLE, source.path());
    offset += current.bytes.size();
    // The next piece is read and encoded while this one is written.
    std::future<void> next;
    if (offset < size) {
      next = std::async(std::launch::async, produce, std::ref(pieces[(index + 1) % 2]), offset);
    }
    bool written = context.out.Write(current.text);
    if (!next.valid()) {
      if (!written || !context.out.Flush()) return context.WriteFailure();
      // The count of a hexadecimal record was taken from the size: a file that grew is refused.
      return source.AtEnd() ? TRM_OK : context.Fail(TRM_SOURCE_UNREADABLE, source.path());
    }
    next.get();
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
