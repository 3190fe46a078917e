#pragma once
// One job of the project or interpreter commands: the generator started, the job written to
// --output (or to a temporary file when there is only a destination) under a progress line,
// the generator's report, and delivery.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "command_line.h"
#include "generator_session.h"
#include "trm.h"

namespace kmjob {

inline constexpr int kUsageError = 64;

// The name printed on the status page: --label, else the destination's name; empty when neither.
std::string StatusLabel(const CommandLine& line);

// The options every job command takes: output, destination, settings, label, status page, hex.
inline constexpr std::string_view kJobOptions[] = {"--output",      "--overwrite", "--dest",
                                                   "--group",       "--settings",  "--label",
                                                   "--status-page", "--hex"};

// The first option given that is neither in kJobOptions (when withJobOptions) nor in own;
// empty when there is none.
std::string ForeignOption(const CommandLine& line, std::initializer_list<std::string_view> own,
                          bool withJobOptions = true);

// Prints "kmjob: PROBLEM" and the command's usage line; returns kUsageError.
int UsageError(const std::string& problem, std::string_view usage);

// Writes the job with writeJob (which gets the output record) and reports and delivers it as
// the file commands do: the path written on standard output with --output, the generator's
// message and its status code less 1000 on failure.
int RunGeneratorJob(const CommandLine& line, const std::string& documentName,
                    const std::string& progressText,
                    const std::function<int(const trmVOS*)>& writeJob);

}  // namespace kmjob
