#pragma once
// Tar and zip archives written byte by byte, independently of the engine's writers, with any
// name, size, type or entry count a test needs; header only, for the tests of the archive engine.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace km_test {

// Creates the folder with its parents and makes it the working directory.
inline std::filesystem::path EnterFolder(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  return folder;
}

constexpr std::size_t kTarBlock = 10240;

struct TarEntry {
  std::string name;
  std::string data;
  char type = '0';
  unsigned mode = 0644;
  std::string link;
  std::uint64_t size = UINT64_MAX;  // the data's length unless given
  bool badChecksum = false;
};

inline TarEntry TarFile(std::string name, std::string data, unsigned mode = 0644) {
  TarEntry e;
  e.name = std::move(name);
  e.data = std::move(data);
  e.mode = mode;
  return e;
}

inline TarEntry TarSpecial(std::string name, char type, std::string link = "") {
  TarEntry e;
  e.name = std::move(name);
  e.type = type;
  e.link = std::move(link);
  return e;
}

// Ustar records, two zero records, padded to a whole block.
inline std::string TarArchive(const std::vector<TarEntry>& entries) {
  std::string out;
  for (const TarEntry& e : entries) {
    std::string h(512, '\0');
    auto put = [&h](std::size_t at, const std::string& text) { h.replace(at, text.size(), text); };
    auto octal = [](int width, unsigned long long v) {
      char text[32];
      std::snprintf(text, sizeof text, "%0*llo", width, v);
      return std::string(text);
    };
    put(0, e.name.substr(0, 100));
    put(100, octal(7, e.mode));
    put(108, octal(7, 0));
    put(116, octal(7, 0));
    put(124, octal(11, e.size == UINT64_MAX ? e.data.size() : e.size));
    put(136, octal(11, 1700000000));
    h[156] = e.type;
    put(157, e.link.substr(0, 100));
    put(148, "        ");
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    put(148, octal(6, e.badChecksum ? sum + 1 : sum));
    h[154] = '\0';
    out += h + e.data;
    out.append((512 - e.data.size() % 512) % 512, '\0');
  }
  out.append(1024, '\0');
  out.append((kTarBlock - out.size() % kTarBlock) % kTarBlock, '\0');
  return out;
}

// One zip entry: its data as stored, the method, and the size its records declare (the data's
// length unless given), in a ZIP64 extra field if asked.
struct ZipEntry {
  std::string name;
  std::string data;
  int method = 0;
  std::uint64_t declared = UINT64_MAX;
  bool zip64 = false;
};

inline void PutLittleEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

inline std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

// The end records claim count entries (the real number unless given), past 0xFFFF in a ZIP64
// end record. Stored entries carry their data's checksum; deflated ones 0, which no data
// matches.
inline std::string ZipArchive(const std::vector<ZipEntry>& entries,
                              std::uint64_t count = UINT64_MAX) {
  std::string out, directory;
  for (const ZipEntry& e : entries) {
    const std::uint64_t size = e.declared == UINT64_MAX ? e.data.size() : e.declared;
    std::string extra;
    if (e.zip64) {
      PutLittleEndian(extra, 1, 2);
      PutLittleEndian(extra, 8, 2);
      PutLittleEndian(extra, size, 8);
    }
    const std::uint64_t offset = out.size();
    for (const bool local : {true, false}) {
      std::string& to = local ? out : directory;
      to += local ? "PK\x03\x04" : "PK\x01\x02";
      if (!local) PutLittleEndian(to, 45, 2);  // made by
      PutLittleEndian(to, 45, 2);              // version needed
      PutLittleEndian(to, 0, 2);
      PutLittleEndian(to, e.method, 2);
      PutLittleEndian(to, 0x210000, 4);  // 1980-01-01 00:00
      PutLittleEndian(to, e.method == 0 ? Crc32(e.data) : 0, 4);
      PutLittleEndian(to, e.data.size(), 4);
      PutLittleEndian(to, e.zip64 ? 0xFFFFFFFF : size, 4);
      PutLittleEndian(to, e.name.size(), 2);
      PutLittleEndian(to, extra.size(), 2);
      if (!local) {
        PutLittleEndian(to, 0, 6);  // comment, disk, internal attributes
        PutLittleEndian(to, 0, 4);
        PutLittleEndian(to, offset, 4);
      }
      to += e.name + extra;
    }
    out += e.data;
  }
  const std::uint64_t at = out.size();
  const std::uint64_t n = count == UINT64_MAX ? entries.size() : count;
  out += directory;
  if (n > 0xFFFF) {
    const std::uint64_t end64 = out.size();
    out += "PK\x06\x06";
    PutLittleEndian(out, 44, 8);
    PutLittleEndian(out, 45 << 16 | 45, 4);
    PutLittleEndian(out, 0, 8);
    PutLittleEndian(out, n, 8);
    PutLittleEndian(out, n, 8);
    PutLittleEndian(out, directory.size(), 8);
    PutLittleEndian(out, at, 8);
    out += "PK\x06\x07";
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, end64, 8);
    PutLittleEndian(out, 1, 4);
  }
  out += "PK\x05\x06";
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, std::min<std::uint64_t>(n, 0xFFFF), 2);
  PutLittleEndian(out, std::min<std::uint64_t>(n, 0xFFFF), 2);
  PutLittleEndian(out, directory.size(), 4);
  PutLittleEndian(out, at, 4);
  PutLittleEndian(out, 0, 2);
  return out;
}

}  // namespace km_test
