// Small helpers shared by the profile tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "src/core/OVProfile.h"
#include "tests/support/TestFiles.h"

// Records compare by value (found by argument lookup, so it lives beside ProfileRec).
inline bool operator==(const ProfileRec& a, const ProfileRec& b) {
  return a.dwCreatorID == b.dwCreatorID && a.dwAction == b.dwAction;
}

namespace profiles_test {

namespace fs = std::filesystem;

using testfiles::Bytes;
using testfiles::Put32;
using testfiles::PutText;
using testfiles::ReadAll;
using testfiles::ScratchDir;
using testfiles::WriteAll;

// Runs f and returns how long it took, in milliseconds.
template <typename F>
long long TimedMs(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

// A damaged file is answered at once: well under this, whatever count it claims.
inline constexpr long long kQuickMs = 1000;

}  // namespace profiles_test
