#pragma once
// Ghostscript as the tests' reference PostScript interpreter.

#include <filesystem>
#include <string>
#include <vector>

#include "process.h"

namespace km_test {

// gs -q -dBATCH -dNOPAUSE -dSAFER followed by the arguments.
ProcessResult RunGhostscript(const std::vector<std::string>& arguments,
                             const ProcessOptions& options = {});

// Runs text through one of PostScript's decoding filters (ASCIIHexDecode, ASCII85Decode...)
// and returns what comes out; empty when Ghostscript fails.
std::string GhostscriptDecode(const std::string& text, const std::string& filter);

}  // namespace km_test
