#include "platform/wild_match.h"

namespace platform {

namespace {

constexpr int kNoMatch = 0;
constexpr int kMatch = 1;
constexpr int kAbort = -1;  // no later start position can match either

// Reads one set member at p, honouring "\" quoting; advances p. False at the pattern's end.
bool SetMember(const unsigned char*& p, unsigned char& member) {
  if (*p == '\\' && p[1] != '\0') ++p;
  if (*p == '\0') return false;
  member = *p++;
  return true;
}

// Matches one character against the set whose "[" is just before p; on success p is left
// after the closing "]". An unterminated set is reported as kAbort: it can never match.
int MatchSet(unsigned char c, const unsigned char*& p) {
  bool negate = false;
  if (*p == '^') {
    negate = true;
    ++p;
  }
  bool found = false;
  while (*p != ']') {
    unsigned char low = 0;
    if (!SetMember(p, low)) return kAbort;
    unsigned char high = low;
    if (*p == '-' && p[1] != ']' && p[1] != '\0') {
      ++p;
      if (!SetMember(p, high)) return kAbort;
    }
    if (c >= low && c <= high) found = true;
  }
  ++p;
  return found != negate ? kMatch : kNoMatch;
}

int DoMatch(const unsigned char* t, const unsigned char* p) {
  for (; *p != '\0'; ++t) {
    if (*t == '\0' && *p != '*') return kAbort;
    switch (*p) {
      case '*': {
        while (*p == '*') ++p;
        if (*p == '\0') return kMatch;  // a trailing "*" takes the rest at once
        for (; *t != '\0'; ++t) {
          const int result = DoMatch(t, p);
          if (result != kNoMatch) return result;
        }
        return kAbort;
      }
      case '?':
        ++p;
        break;
      case '[': {
        ++p;
        const int result = MatchSet(*t, p);
        if (result != kMatch) return result;
        break;
      }
      case '\\':
        // A lone "\" at the end of the pattern stands for itself.
        if (p[1] != '\0') ++p;
        [[fallthrough]];
      default:
        if (*t != *p) return kNoMatch;
        ++p;
        break;
    }
  }
  return *t == '\0' ? kMatch : kNoMatch;
}

}  // namespace

int WildMatch(const char* text, const char* pattern) {
  if (!text || !pattern) return 0;
  return DoMatch(reinterpret_cast<const unsigned char*>(text),
                 reinterpret_cast<const unsigned char*>(pattern)) == kMatch
             ? 1
             : 0;
}

}  // namespace platform
