#pragma once
#include <span>

namespace trm {

// True when a byte is a control character other than BS, TAB, LF, VT, FF, CR, or is >= 128.
bool IsBinaryData(std::span<const unsigned char> data);

}  // namespace trm
