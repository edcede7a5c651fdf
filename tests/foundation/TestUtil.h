// Small helpers shared by the foundation tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestFiles.h"

namespace foundation_test {

namespace fs = std::filesystem;

using testfiles::Bytes;
using testfiles::ReadAll;
using testfiles::ScratchDir;
using testfiles::WriteAll;

// Regular expressions for death-test output: GoogleTest's own simple syntax on Windows has no
// bracket expressions, POSIX extended syntax has no \d.
#ifdef GTEST_USES_SIMPLE_RE
#define FT_RE_NUMBER "\\d+"
#else
#define FT_RE_NUMBER "[0-9]+"
#endif
// The end of a line in captured standard error (the Windows runtime writes \r\n).
#define FT_RE_EOL "\r?\n"

}  // namespace foundation_test
