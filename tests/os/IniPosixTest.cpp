// POSIX INI reader cases beyond the table shared with Windows.
#include <gtest/gtest.h>

#include <string>

#include "OsTestUtil.h"

namespace {

using os_test::TempDir;
using os_test::WriteFile;

std::string Read(const std::string& file, const char* section, const char* key, std::size_t cap) {
  char buf[64];
  const std::size_t n = os::ReadIniString(file.c_str(), section, key, "d", buf, cap);
  EXPECT_EQ(n, std::string(buf).size());
  return buf;
}

// A quoted value that fits exactly once its quotes are gone is read whole. (Wine's reader
// loses its last character here.)
TEST(IniPosix, QuotedValueExactFit) {
  TempDir dir;
  WriteFile(dir.File("a.ini"), "[Path]\nPDPath=\"abcdef\"\n");
  EXPECT_EQ(Read(dir.File("a.ini"), "Path", "PDPath", 7), "abcdef");
  EXPECT_EQ(Read(dir.File("a.ini"), "Path", "PDPath", 6), "abcde");
}

// Bytes outside ASCII pass through unchanged and are matched exactly.
TEST(IniPosix, BytesPassThrough) {
  TempDir dir;
  WriteFile(dir.File("a.ini"), "[\xC9t\xE9]\nPDPath=C:\\Caf\xE9 \x80\xFF\n");
  EXPECT_EQ(Read(dir.File("a.ini"), "\xC9t\xE9", "PDPath", 64), "C:\\Caf\xE9 \x80\xFF");
  EXPECT_EQ(Read(dir.File("a.ini"), "\xE9T\xC9", "PDPath", 64), "d");
}

// A UTF-16 file (with its byte order mark) is read as single bytes.
TEST(IniPosix, Utf16File) {
  TempDir dir;
  const std::u16string text = u"[Path]\r\nPDPath=C:\\Caf\u00e9\u2001\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  WriteFile(dir.File("a.ini"), bytes);
  EXPECT_EQ(Read(dir.File("a.ini"), "Path", "PDPath", 64), "C:\\Caf\xE9?");
}

TEST(IniPosix, NoSectionOrKeyGivesTheDefault) {
  TempDir dir;
  WriteFile(dir.File("a.ini"), "[Path]\nPDPath=v\n");
  EXPECT_EQ(Read(dir.File("a.ini"), nullptr, "PDPath", 64), "d");
  EXPECT_EQ(Read(dir.File("a.ini"), "Path", nullptr, 64), "d");
  EXPECT_EQ(Read("", "Path", "PDPath", 64), "d");
}

}  // namespace
