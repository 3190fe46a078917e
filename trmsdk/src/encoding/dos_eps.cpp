#include "encoding/dos_eps.h"

#include <cstdint>

namespace trm {
namespace {

constexpr std::size_t kHeaderSize = 30;

std::uint32_t LoadLittleEndian(std::span<const unsigned char> data, std::size_t offset) {
  return std::uint32_t{data[offset]} | (std::uint32_t{data[offset + 1]} << 8) |
         (std::uint32_t{data[offset + 2]} << 16) | (std::uint32_t{data[offset + 3]} << 24);
}

}  // namespace

std::optional<std::vector<unsigned char>> StripDosEps(std::span<const unsigned char> data) {
  if (data.size() < kHeaderSize || LoadLittleEndian(data, 0) != 0xC6D3D0C5u) return std::nullopt;
  const std::uint32_t wmfStart = LoadLittleEndian(data, 12);
  const std::uint32_t wmfLength = LoadLittleEndian(data, 16);
  const std::uint32_t tiffStart = LoadLittleEndian(data, 20);
  const std::uint32_t tiffLength = LoadLittleEndian(data, 24);
  // 64-bit arithmetic: start + length cannot wrap.
  const std::uint64_t previewStart = wmfStart != 0 ? wmfStart : tiffStart;
  const std::uint64_t previewLength = wmfStart != 0 ? wmfLength : tiffLength;

  const auto* const begin = data.data();
  if (previewStart == 0)
    return std::vector<unsigned char>(begin + kHeaderSize, begin + data.size());
  // A preview inside the header or past the end means the header is not trustworthy.
  if (previewStart < kHeaderSize || previewStart + previewLength > data.size()) {
    return std::nullopt;
  }
  std::vector<unsigned char> result;
  result.reserve(data.size() - kHeaderSize - previewLength);
  result.insert(result.end(), begin + kHeaderSize, begin + previewStart);
  result.insert(result.end(), begin + previewStart + previewLength, begin + data.size());
  return result;
}

}  // namespace trm
