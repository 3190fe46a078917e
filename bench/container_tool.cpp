// One archive engine operation per run, for bench/containers_vs_tools.sh to time against other
// archivers; and the benchmark's data set.
//   container_tool create zip|tar ARCHIVE LISTFILE   (the files to add, one path a line)
//   container_tool extract ARCHIVE                   (into the current folder)
//   container_tool make-data FOLDER COUNT BYTES      (COUNT files of 4 KiB to 4 MiB, about
//                                                     BYTES in all, half text, half random)
// A failed operation prints the engine's error text and exits with 1.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "archive_engine.h"
#include "bench_random.h"

namespace {

using bench::Random;

int Usage() {
  std::fputs(
      "usage: container_tool create zip|tar ARCHIVE LISTFILE | container_tool extract ARCHIVE\n"
      "       container_tool make-data FOLDER COUNT BYTES\n",
      stderr);
  return 2;
}

int Report(const std::string& error) {
  if (error.empty()) return 0;
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

constexpr double kMinSize = 4096, kMaxSize = 4 << 20;

// Sizes from 4 KiB to 4 MiB, the small ones more frequent: 4 KiB * 1024^(u^skew), with the
// skew chosen so that the sizes add up to about `total`. The first two are the extremes.
std::vector<std::size_t> FileSizes(std::size_t count, double total) {
  Random random(7);
  std::vector<double> unit(count);
  for (double& u : unit) u = random.Unit();
  if (count > 1) unit[0] = 1, unit[1] = 0;
  auto sum = [&](double skew) {
    double bytes = 0;
    for (double u : unit) bytes += kMinSize * std::pow(kMaxSize / kMinSize, std::pow(u, skew));
    return bytes;
  };
  double low = 0.05, high = 200;  // the sum falls as the skew grows
  for (int i = 0; i < 60; ++i) {
    const double middle = std::sqrt(low * high);
    (sum(middle) > total ? low : high) = middle;
  }
  std::vector<std::size_t> sizes;
  for (double u : unit) {
    sizes.push_back(static_cast<std::size_t>(
        kMinSize * std::pow(kMaxSize / kMinSize, std::pow(u, std::sqrt(low * high)))));
  }
  return sizes;
}

// Lines of words drawn from a small vocabulary: deflate shrinks it to about a third.
void FillText(std::vector<char>& data, Random& random) {
  static const char* const kWords[] = {
      "printer", "disk",    "font",  "job",     "page",   "stroke",    "fill",     "setgray",
      "moveto",  "lineto",  "show",  "invoice", "total",  "customer",  "address",  "the",
      "of",      "and",     "to",    "a",       "in",     "resource",  "project",  "folder",
      "form",    "overlay", "image", "scale",   "rotate", "translate", "showpage", "dict",
      "begin",   "end",     "def",   "load",    "store",  "delete",    "list",     "status"};
  std::size_t pos = 0, line = 0;
  while (pos < data.size()) {
    const std::uint64_t pick = random.Next();
    std::string word = kWords[pick % std::size(kWords)];
    if (pick % 7 == 0) word = std::to_string((pick >> 8) % 100000);
    word += ++line % 12 == 0 ? '\n' : ' ';
    const std::size_t n = std::min(word.size(), data.size() - pos);
    std::memcpy(data.data() + pos, word.data(), n);
    pos += n;
  }
}

void FillRandom(std::vector<char>& data, Random& random) {
  for (std::size_t i = 0; i < data.size(); i += 8) {
    const std::uint64_t value = random.Next();
    std::memcpy(data.data() + i, &value, std::min<std::size_t>(8, data.size() - i));
  }
}

int MakeData(const std::string& folder, std::size_t count, double total) {
  Random random(11);
  const std::vector<std::size_t> sizes = FileSizes(count, total);
  std::vector<char> data;
  for (std::size_t i = 0; i < count; ++i) {
    data.resize(sizes[i]);
    (i % 2 == 0 ? FillText : FillRandom)(data, random);
    char name[32];
    std::snprintf(name, sizeof name, "/f%05zu.%s", i, i % 2 == 0 ? "txt" : "bin");
    std::ofstream out(folder + name, std::ios::binary);
    if (!out.write(data.data(), static_cast<std::streamsize>(data.size())) || !out.flush()) {
      std::fprintf(stderr, "container_tool: cannot write %s%s\n", folder.c_str(), name);
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "create" && (args[1] == "zip" || args[1] == "tar")) {
    std::ifstream list(args[3]);
    if (!list) {
      std::fprintf(stderr, "container_tool: cannot read %s\n", args[3].c_str());
      return 1;
    }
    std::vector<std::string> files;
    for (std::string line; std::getline(list, line);) {
      if (!line.empty()) files.push_back(line);
    }
    tpsdk::ArchiveEngine engine;
    engine.SetTarFormat(args[1] == "tar");
    return Report(engine.Create(args[2], files));
  }
  if (args.size() == 2 && args[0] == "extract") {
    tpsdk::ArchiveEngine engine;
    return Report(engine.Extract(args[1]));
  }
  if (args.size() == 4 && args[0] == "make-data") {
    return MakeData(args[1], std::strtoull(args[2].c_str(), nullptr, 10),
                    std::strtod(args[3].c_str(), nullptr));
  }
  return Usage();
}
