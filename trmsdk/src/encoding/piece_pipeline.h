#pragma once
// Reads and encodes the pieces of a streamed load record on a thread of its own, a few pieces
// ahead of the writer, so that encoding and writing keep two cores busy side by side.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "encoding/source_file.h"

namespace trm {

class PiecePipeline {
 public:
  // Starts reading at once; throws std::system_error when no thread can be started.
  PiecePipeline(SourceFile& source, bool hex);
  ~PiecePipeline();  // stops the reader and waits for it
  PiecePipeline(const PiecePipeline&) = delete;
  PiecePipeline& operator=(const PiecePipeline&) = delete;

  // The text of the next piece in file order, valid until Release(); nullptr after the last
  // piece or after a failed read (then *readFailed is true).
  const std::string* Next(bool* readFailed);
  void Release();

 private:
  struct Piece {
    std::vector<unsigned char> bytes;
    std::string text;
    bool readOk = true;
  };
  static constexpr std::size_t kSlots = 3;

  void Run();

  SourceFile& source_;
  const bool hex_;
  std::array<Piece, kSlots> pieces_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::size_t produced_ = 0;
  std::size_t consumed_ = 0;
  std::size_t total_ = 0;
  bool stop_ = false;
  std::thread thread_;  // last: starts once everything above exists
};

}  // namespace trm
