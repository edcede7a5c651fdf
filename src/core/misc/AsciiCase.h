// Comparing texts without regard to the letter case of A to Z only, as Windows compares file
// names, INI sections and registry names of the ANSI code page's plain letters. Header-only, so
// that the OS layer below the core can use it too.
#pragma once

#include <string_view>

namespace ov {

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace ov
