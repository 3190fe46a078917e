#pragma once
// Whole-file reads and writes for tests; a failed write fails the running test.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace km_test {

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Replaces the file with bytes, creating its folders.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// The text split at line feeds, without them; no empty last line for a final line feed.
std::vector<std::string> Lines(std::string_view text);
// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

}  // namespace km_test
