#pragma once
#include <string>
#include <string_view>

namespace trm {

// Text of a status code, or an empty view for an unknown code.
std::string_view StatusText(int code);

// Composes and stores the last message and detail; returns the code.
int SetStatus(int code, std::string_view operation, std::string_view detail = {});

// Copies of the last message and detail (empty while none).
std::string LastMessage();
std::string LastDetail();

}  // namespace trm
