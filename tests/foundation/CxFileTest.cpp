#include "src/core/misc/CxFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "TestUtil.h"

#include "tests/support/WriteFault.h"

namespace {

using foundation_test::Bytes;
using foundation_test::ReadAll;
using foundation_test::ScratchDir;
using foundation_test::WriteAll;

struct LayoutCase {
  const char* name;
  std::function<void(CxFile&)> write;
  Bytes expected;
};

TEST(CxFile, WritesLittleEndianValues) {
  const LayoutCase cases[] = {
      {"number 258", [](CxFile& f) { f.WriteDword(258); }, {0x02, 0x01, 0x00, 0x00}},
      {"number 0xA1B2C3D4", [](CxFile& f) { f.WriteDword(0xA1B2C3D4u); }, {0xD4, 0xC3, 0xB2, 0xA1}},
      {"string abc", [](CxFile& f) { f.WriteString("abc"); }, {0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}},
      {"empty string", [](CxFile& f) { f.WriteString(""); }, {0x00, 0x00, 0x00, 0x00}},
      {"null string", [](CxFile& f) { f.WriteString(nullptr); }, {0x00, 0x00, 0x00, 0x00}},
      {"number then string",
       [](CxFile& f) {
         f.WriteDword(1);
         f.WriteString("x");
       },
       {0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 'x'}},
  };
  ScratchDir dir;
  const std::string path = dir.File("layout.dat");
  for (const LayoutCase& c : cases) {
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb")) << c.name;
    c.write(f);
    ASSERT_TRUE(f.Close()) << c.name;
    EXPECT_EQ(ReadAll(path), c.expected) << c.name;
  }
}

TEST(CxFile, RoundTripThenEndOfFile) {
  ScratchDir dir;
  const std::string path = dir.File("round.dat");
  const std::string longest(255, 'q');  // fills a 256-byte buffer exactly
  {
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_TRUE(f.WriteDword(0));
    EXPECT_TRUE(f.WriteDword(0xFFFFFFFFu));
    EXPECT_TRUE(f.WriteString("Profile \xE9t\xE9"));  // bytes of the ANSI code page pass unchanged
    EXPECT_TRUE(f.WriteString(""));
    EXPECT_TRUE(f.WriteString(longest.c_str()));
    EXPECT_TRUE(f.WriteDword(42));
    EXPECT_TRUE(f.Close());
  }
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  std::uint32_t v = 7;
  char buf[256];
  std::int32_t n = -1;
  EXPECT_TRUE(f.ReadDword(&v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(f.ReadDword(&v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(f.ReadString(buf, sizeof buf, &n));
  EXPECT_STREQ(buf, "Profile \xE9t\xE9");
  EXPECT_EQ(n, 11);
  EXPECT_TRUE(f.ReadString(buf, sizeof buf, &n));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(f.ReadString(buf, sizeof buf));
  EXPECT_EQ(std::string(buf), longest);
  EXPECT_TRUE(f.ReadDword(&v));
  EXPECT_EQ(v, 42u);

  // The end of the file: defined values and false, again and again.
  for (int i = 0; i < 2; ++i) {
    v = 7;
    EXPECT_FALSE(f.ReadDword(&v));
    EXPECT_EQ(v, 0u);
    std::strcpy(buf, "old");
    n = 99;
    EXPECT_FALSE(f.ReadString(buf, sizeof buf, &n));
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(n, 0);
  }
  EXPECT_TRUE(f.Close());
}

struct ReadStringCase {
  const char* name;
  Bytes file;
  std::uint32_t cap;
  bool ok;
  const char* text;
  std::int32_t len;
};

// Stored strings that do not fit, negative lengths and files cut short never write past the
// buffer: a canary right after it must survive.
TEST(CxFile, ReadStringNeverTrustsTheFile) {
  const ReadStringCase cases[] = {
      {"fits exactly", {4, 0, 0, 0, 'a', 'b', 'c', 'd'}, 5, true, "abcd", 4},
      {"one byte too long", {5, 0, 0, 0, 'a', 'b', 'c', 'd', 'e'}, 5, false, "", 5},
      {"huge length", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}, 5, false, "", 0x7FFFFFFF},
      {"negative length", {0xFB, 0xFF, 0xFF, 0xFF, 'a', 'b'}, 5, true, "", -5},
      {"length cut short", {3, 0}, 5, false, "", 0},
      {"bytes cut short", {4, 0, 0, 0, 'a', 'b'}, 5, false, "", 4},
      {"empty file", {}, 5, false, "", 0},
      {"no room for the terminator", {0, 0, 0, 0}, 0, false, "", 0},
  };
  ScratchDir dir;
  const std::string path = dir.File("strings.dat");
  for (const ReadStringCase& c : cases) {
    WriteAll(path, c.file);
    char area[16];
    std::memset(area, '#', sizeof area);
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "rb")) << c.name;
    std::int32_t n = 12345;
    EXPECT_EQ(f.ReadString(area, c.cap, &n), c.ok) << c.name;
    if (c.cap > 0) {
      EXPECT_STREQ(area, c.text) << c.name;
    }
    EXPECT_EQ(n, c.len) << c.name;
    for (std::size_t i = c.cap; i < sizeof area; ++i) ASSERT_EQ(area[i], '#') << c.name << ", byte " << i;
  }
}

TEST(CxFile, OpenRefusesWhatItCannotOpen) {
  ScratchDir dir;
  const std::string missing = dir.File("missing.dat");
  const std::string inMissingDir = (dir.path() / "nodir" / "x.dat").string();
  CxFile f;
  EXPECT_FALSE(f.Open(nullptr, "rb"));
  EXPECT_FALSE(f.Open("", "rb"));
  EXPECT_FALSE(f.Open(missing.c_str(), nullptr));
  EXPECT_FALSE(f.Open(missing.c_str(), ""));
  EXPECT_FALSE(f.Open(missing.c_str(), "rb"));
  EXPECT_FALSE(f.Open(inMissingDir.c_str(), "wb"));
  EXPECT_TRUE(f.Close());  // nothing open
  EXPECT_TRUE(dir.List().empty());

  // A second Open while a file is open is refused and leaves the first one alone.
  const std::string first = dir.File("first.dat");
  ASSERT_TRUE(f.Open(first.c_str(), "wb"));
  EXPECT_FALSE(f.Open(dir.File("second.dat").c_str(), "wb"));
  EXPECT_TRUE(f.WriteDword(1));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(dir.List(), std::vector<std::string>{"first.dat"});
  EXPECT_EQ(ReadAll(first), (Bytes{1, 0, 0, 0}));
}

TEST(CxFile, WritesReachTheTargetOnlyOnClose) {
  ScratchDir dir;
  const std::string path = dir.File("ovcurr.dat");
  WriteAll(path, {9, 9});
  {
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_TRUE(f.WriteDword(258));
    EXPECT_EQ(ReadAll(path), (Bytes{9, 9})) << "the old file is untouched while writing";
    EXPECT_EQ(dir.List().size(), 2u) << "the writes go to a file beside it";
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(ReadAll(path), (Bytes{2, 1, 0, 0}));
  EXPECT_EQ(dir.List(), std::vector<std::string>{"ovcurr.dat"});

  // Destroying an open CxFile commits what it wrote.
  {
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    f.WriteString("abc");
  }
  EXPECT_EQ(ReadAll(path), (Bytes{3, 0, 0, 0, 'a', 'b', 'c'}));
  EXPECT_EQ(dir.List(), std::vector<std::string>{"ovcurr.dat"});
}

TEST(CxFile, FailedCommitKeepsWhatWasThere) {
  // The target is a directory: the file cannot be moved over it.
  ScratchDir dir;
  const std::string path = dir.File("taken");
  foundation_test::fs::create_directory(path);
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "wb"));
  EXPECT_TRUE(f.WriteDword(1));
  EXPECT_FALSE(f.Close());
  EXPECT_TRUE(foundation_test::fs::is_directory(path));
  EXPECT_EQ(dir.List(), std::vector<std::string>{"taken"}) << "the temporary file is removed";
}

// A write that fails midway (a full disk after 100 bytes) is reported by every later write and by
// Close, and the previous file stays whole.
TEST(CxFile, FailedWriteKeepsTheOldFile) {
  ScratchDir dir;
  const std::string path = dir.File("ovprof.dat");
  WriteAll(path, {1, 2, 3, 4});
  {
    testfiles::WriteFault fault(100);
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    bool bAllWritten = true;
    for (std::uint32_t i = 0; i < 100000; ++i) bAllWritten = f.WriteDword(i) && bAllWritten;
    EXPECT_FALSE(bAllWritten);
    EXPECT_FALSE(f.WriteString("late"));
    EXPECT_FALSE(f.Close());
  }
  EXPECT_EQ(ReadAll(path), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(dir.List().size(), 1u) << "no temporary file is left";
}

struct AssertCase {
  const char* name;
  std::function<void()> misuse;
  const char* condition;  // as a regular expression
};

TEST(CxFileDeathTest, MisuseFailsItsAssertion) {
  ScratchDir dir;
  const std::string path = dir.File("a.dat");
  WriteAll(path, {0, 0, 0, 0});
  const AssertCase cases[] = {
      {"WriteDword closed", [] { CxFile f; f.WriteDword(1); }, "m_fp"},
      {"WriteString closed", [] { CxFile f; f.WriteString("x"); }, "m_fp"},
      {"ReadDword closed", [] { CxFile f; std::uint32_t v; f.ReadDword(&v); }, "m_fp && pdwVal"},
      {"ReadDword no target", [&] { CxFile f; f.Open(path.c_str(), "rb"); f.ReadDword(nullptr); }, "m_fp && pdwVal"},
      {"ReadString closed", [] { CxFile f; char b[4]; f.ReadString(b, sizeof b); }, "m_fp&&szBuf"},
      {"ReadString no buffer", [&] { CxFile f; f.Open(path.c_str(), "rb"); f.ReadString(nullptr, 4); }, "m_fp&&szBuf"},
  };
  for (const AssertCase& c : cases) {
    const std::string re = std::string("^Assertion failed: ") + c.condition +
                           ", file common\\\\misc\\\\CxFile, line " FT_RE_NUMBER FT_RE_EOL
                           "Abnormal program termination" FT_RE_EOL;
    EXPECT_EXIT(c.misuse(), testing::ExitedWithCode(3), re) << c.name;
  }
}

}  // namespace
