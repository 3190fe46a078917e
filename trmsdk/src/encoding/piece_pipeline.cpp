#include "encoding/piece_pipeline.h"

#include <algorithm>

#include "encoding/load_record.h"

namespace trm {

PiecePipeline::PiecePipeline(SourceFile& source, bool hex)
    : source_(source),
      hex_(hex),
      total_(static_cast<std::size_t>((source.size() + kStreamPieceBytes - 1) / kStreamPieceBytes)),
      thread_([this] { Run(); }) {}

PiecePipeline::~PiecePipeline() {
  {
    const std::lock_guard guard(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void PiecePipeline::Run() {
  std::uint64_t offset = 0;
  for (std::size_t index = 0; index < total_; ++index) {
    {
      std::unique_lock guard(lock_);
      changed_.wait(guard, [&] { return stop_ || produced_ - consumed_ < kSlots; });
      if (stop_) return;
    }
    // The slot is the reader's alone until produced_ moves past it.
    Piece& piece = pieces_[index % kSlots];
    const auto length = static_cast<std::size_t>(
        std::min<std::uint64_t>(kStreamPieceBytes, source_.size() - offset));
    offset += length;
    piece.bytes.resize(length);
    piece.readOk = source_.ReadExactly(piece.bytes);
    if (piece.readOk) EncodeRecordPiece(piece.bytes, hex_, index + 1 == total_, piece.text);
    {
      const std::lock_guard guard(lock_);
      ++produced_;
    }
    changed_.notify_all();
    if (!piece.readOk) return;
  }
}

const std::string* PiecePipeline::Next(bool* readFailed) {
  *readFailed = false;
  std::unique_lock guard(lock_);
  if (consumed_ == total_) return nullptr;
  changed_.wait(guard, [&] { return produced_ > consumed_; });
  const Piece& piece = pieces_[consumed_ % kSlots];
  if (!piece.readOk) {
    *readFailed = true;
    return nullptr;
  }
  return &piece.text;
}

void PiecePipeline::Release() {
  {
    const std::lock_guard guard(lock_);
    ++consumed_;
  }
  changed_.notify_all();
}

}  // namespace trm
