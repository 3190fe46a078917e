#pragma once
// How the generator names itself: in the version call, the debug log and every job's header.

namespace trm {

inline constexpr const char* kVersionText = "TRMSDK 1.9.3";
inline constexpr const char* kJobNotice =
    "KORAManage resource job: stores, lists or removes files on the printer disk.";

}  // namespace trm
