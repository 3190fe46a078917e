#include "encoding/load_record.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <iterator>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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
// Files up to this size are encoded whole; larger ones stream through in pieces, each read and
// encoded while earlier ones are written. Small pieces stay in the core's cache from the read
// through the encoding to the write; they hold whole lines.
constexpr std::size_t kStreamThreshold = std::size_t{2} << 20;
constexpr std::size_t kStreamPieceBytes = std::size_t{256} << 10;
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

// One piece of a streamed record: its bytes and their text as it stands inside the whole
// record (every piece but the last ends with its line end and without the end marker). The
// storage of both is reused from piece to piece.
struct Piece {
  std::vector<unsigned char> bytes;
  std::string text;
  bool readOk = false;
  bool last = false;

  void Produce(SourceFile& source, std::size_t length, bool hex) {
    bytes.resize(length);
    readOk = source.ReadExactly(bytes);
    if (!readOk) return;
    // The writer keeps the other core busy: encoding on this thread alone beats sharing it.
    if (hex) {
      EncodeHexInto(bytes, 0, kLoadRecordLineBytes, text, Cores::kCallerOnly);
      if (!last) text.push_back('\n');
    } else {
      EncodeAscii85Into(bytes, 0, kLoadRecordLineBytes, text, Cores::kCallerOnly);
      if (!last && text.ends_with("~>\n")) text.erase(text.size() - 3);
    }
  }
};

// Reads and encodes the pieces of one file on a thread of its own, a few pieces ahead of the
// writer, so that the two stay busy side by side without a thread started per piece.
class PieceProducer {
 public:
  PieceProducer(SourceFile& source, bool hex)
      : source_(source), hex_(hex), thread_([this] { Run(); }) {}
  ~PieceProducer() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  PieceProducer(const PieceProducer&) = delete;
  PieceProducer& operator=(const PieceProducer&) = delete;

  // The next piece in file order, kept until Release(); nullptr after the last one. Rethrows
  // what stopped the producer (out of memory).
  const Piece* Next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return produced_ > consumed_ || finished_; });
    if (produced_ > consumed_) return &pieces_[consumed_ % kSlots];
    if (failure_) std::rethrow_exception(failure_);
    return nullptr;
  }

  void Release() {
    {
      std::lock_guard lock(mutex_);
      ++consumed_;
    }
    changed_.notify_all();
  }

 private:
  // Two pieces ahead smooth out the writer's uneven pace at little memory.
  static constexpr std::size_t kSlots = 3;

  void Run() {
    const std::uint64_t size = source_.size();
    try {
      for (std::uint64_t offset = 0, index = 0; offset < size; ++index) {
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] { return stopping_ || index - consumed_ < kSlots; });
          if (stopping_) break;
        }
        Piece& piece = pieces_[index % kSlots];
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kStreamPieceBytes, size - offset));
        offset += length;
        piece.last = offset == size;
        piece.Produce(source_, length, hex_);
        {
          std::lock_guard lock(mutex_);
          ++produced_;
        }
        changed_.notify_all();
        if (!piece.readOk) break;
      }
    } catch (const std::exception&) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
  }

  SourceFile& source_;
  const bool hex_;
  std::array<Piece, kSlots> pieces_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t produced_ = 0;
  std::uint64_t consumed_ = 0;
  bool stopping_ = false;
  bool finished_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: starts once everything above exists
};

int StreamRecord(const JobContext& context, SourceFile& source, std::string_view printerName,
                 std::string_view parameters, bool hex) {
  const std::uint64_t size = source.size();
  int code = context.Section(RecordHead(size, printerName, parameters, hex));
  if (code != TRM_OK) return code;

  PieceProducer producer(source, hex);
  while (const Piece* piece = producer.Next()) {
    if (!piece->readOk) return context.Fail(TRM_SOURCE_UNREADABLE, source.path());
    if (!context.out.Write(piece->text)) return context.WriteFailure();
    producer.Release();
  }
  if (!context.out.Flush()) return context.WriteFailure();
  // The count was taken from the size: a file that grew is refused.
  return source.AtEnd() ? TRM_OK : context.Fail(TRM_SOURCE_UNREADABLE, source.path());
}

}  // namespace

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
