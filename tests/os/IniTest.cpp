// ReadIniString against a table of INI files. The same table runs against the POSIX reader and
// against GetPrivateProfileStringA on Windows, so both read the tool's settings file alike.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "OsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using os_test::TempDir;
using os_test::WriteFile;

struct IniCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  const char* def;
  std::size_t cap;
  std::string expected;
};

const std::string kLong(5000, 'x');

// clang-format off
const IniCase kCases[] = {
  {"Plain", "[Path]\nPDPath=C:\\Palm\n", "Path", "PDPath", "d", 260, "C:\\Palm"},
  {"LetterCaseIgnored", "[PATH]\npdpath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"CrLfLines", "[Path]\r\nPDPath=v\r\nNext=w\r\n", "Path", "PDPath", "d", 260, "v"},
  {"CrOnlyLines", "[Path]\rA=1\rPDPath=v\r", "Path", "PDPath", "d", 260, "v"},
  {"NoFinalNewline", "[Path]\nPDPath=v", "Path", "PDPath", "d", 260, "v"},
  {"BlanksTrimmed", "  [Path]  \n \t PDPath \t=  a  b \t\r\n", "Path", "PDPath", "d", 260, "a  b"},
  {"QueryNamesTrimmed", "[Path]\nPDPath=v\n", " Path\t", "  PDPath ", "d", 260, "v"},
  {"BlanksInsideBracketsIgnored", "[ \tPath ]\nPDPath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"LastBracketClosesTheHeader", "[Path]x]\nPDPath=v\n", "Path]x", "PDPath", "d", 260, "v"},
  {"QuotedValueFits", "[Path]\nPDPath=\"abcdef\"\n", "Path", "PDPath", "d", 8, "abcdef"},
  {"DefaultQuotesRemoved", "[Path]\n", "Path", "PDPath", "\"q\"", 260, "q"},
  {"DefaultQuotesRemovedThenCut", "[Path]\n", "Path", "PDPath", "\"qrs\"", 3, "qr"},
  {"EmptySectionNameNeverMatches", "[]\nPDPath=v\n", "", "PDPath", "d", 260, "d"},
  {"EmptyKeyName", "[Path]\n=v\n", "Path", "", "d", 260, "v"},
  {"BlankValueIsEmpty", "[Path]\nPDPath=  \t \n", "Path", "PDPath", "d", 260, ""},
  {"NulEndsTheKeyName", "[Path]\nPD\0x=v\n"s, "Path", "PD", "d", 260, "v"},
  {"OtherControlBlanksTrimmed", "[Path]\nPDPath=\v\fv\v\f\n", "Path", "PDPath", "d", 260, "v"},
  {"NoBreakSpaceKept", "[Path]\nPDPath=\xA0v\xA0\n", "Path", "PDPath", "d", 260, "\xA0v\xA0"},
  {"SeparatorControlsKept", "[Path]\nPDPath=\x1cv\x1f\n", "Path", "PDPath", "d", 260, "\x1Cv\x1F"},
  {"DefaultTrailingTabKept", "[Path]\n", "Path", "PDPath", "d\t ", 260, "d\t"},
  {"NulEndsTheSectionName", "[Pa\0th]\nPDPath=v\n"s, "Pa", "PDPath", "d", 260, "v"},
  {"HeaderWithTrailingText", "[Path] ; note\nPDPath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"EqualsInValue", "[Path]\nPDPath=a=b\n", "Path", "PDPath", "d", 260, "a=b"},
  {"DoubleQuotesRemoved", "[Path]\nPDPath=\"C:\\Palm Desktop\"\n", "Path", "PDPath", "d", 260, "C:\\Palm Desktop"},
  {"SingleQuotesRemoved", "[Path]\nPDPath='a b'\n", "Path", "PDPath", "d", 260, "a b"},
  {"QuotedBlanksKept", "[Path]\nPDPath= \" a \" \n", "Path", "PDPath", "d", 260, " a "},
  {"OnePairOfQuotesOnly", "[Path]\nPDPath=\"\"a\"\"\n", "Path", "PDPath", "d", 260, "\"a\""},
  {"LoneQuoteKept", "[Path]\nPDPath=\"\n", "Path", "PDPath", "d", 260, "\""},
  {"UnmatchedQuoteKept", "[Path]\nPDPath=\"ab\n", "Path", "PDPath", "d", 260, "\"ab"},
  {"MixedQuotesKept", "[Path]\nPDPath=\"ab'\n", "Path", "PDPath", "d", 260, "\"ab'"},
  {"EmptyQuotes", "[Path]\nPDPath=\"\"\n", "Path", "PDPath", "d", 260, ""},
  {"EmptyValueIsNotAbsent", "[Path]\nPDPath=\n", "Path", "PDPath", "d", 260, ""},
  {"KeyWithoutEqualsIsAbsent", "[Path]\nPDPath\n", "Path", "PDPath", "d", 260, "d"},
  {"MissingKey", "[Path]\nOther=v\n", "Path", "PDPath", "d", 260, "d"},
  {"MissingSection", "[Other]\nPDPath=v\n", "Path", "PDPath", "d", 260, "d"},
  {"KeyInAnotherSection", "[Path]\nA=1\n[Other]\nPDPath=v\n", "Path", "PDPath", "d", 260, "d"},
  {"OnlyTheFirstSectionOfANameCounts", "[Path]\nA=1\n[path]\nPDPath=v\n", "Path", "PDPath", "d", 260, "d"},
  {"KeyBeforeAnySection", "PDPath=v\n[Path]\n", "Path", "PDPath", "d", 260, "d"},
  {"FirstKeyWins", "[Path]\nPDPath=1\nPDPath=2\n", "Path", "PDPath", "d", 260, "1"},
  {"CommentLineIsNotTheKey", "[Path]\n;PDPath=1\nPDPath=2\n", "Path", "PDPath", "d", 260, "2"},
  {"UnclosedHeaderIsAnOrdinaryLine", "[Path]\n[Other\nPDPath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"EmptyFile", "", "Path", "PDPath", "d", 260, "d"},
  {"NullDefaultIsEmpty", "[Path]\n", "Path", "PDPath", nullptr, 260, ""},
  {"DefaultTrailingSpacesDropped", "[Path]\n", "Path", "PDPath", "dflt  ", 260, "dflt"},
  {"DefaultLeadingSpacesKept", "[Path]\n", "Path", "PDPath", "  dflt", 260, "  dflt"},
  {"ValueCut", "[Path]\nPDPath=abcdef\n", "Path", "PDPath", "d", 4, "abc"},
  {"ValueExactFit", "[Path]\nPDPath=abcdef\n", "Path", "PDPath", "d", 7, "abcdef"},
  {"CapacityOne", "[Path]\nPDPath=abcdef\n", "Path", "PDPath", "d", 1, ""},
  {"DefaultCut", "[Path]\n", "Path", "PDPath", "abcdef", 3, "ab"},
  {"QuotedValueCut", "[Path]\nPDPath=\"abcdef\"\n", "Path", "PDPath", "d", 4, "abc"},
  {"LongLine", "[Path]\nPDPath=" + kLong + "\nNext=w\n", "Path", "PDPath", "d", 8192, kLong},
  {"LongLineCut", "[Path]\nPDPath=" + kLong + "\n", "Path", "PDPath", "d", 100, std::string(99, 'x')},
  {"KeyAfterLongLine", "[Path]\nJunk=" + kLong + "\nPDPath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"NulEndsTheValue", "[Path]\nPDPath=ab\0cd\nNext=w\n"s, "Path", "PDPath", "d", 260, "ab"},
  {"LinesAfterNulStillRead", "[Path]\nJunk=\0\0\0\nPDPath=v\n"s, "Path", "PDPath", "d", 260, "v"},
  {"Utf8ByteOrderMarkSkipped", "\xEF\xBB\xBF[Path]\nPDPath=v\n", "Path", "PDPath", "d", 260, "v"},
  {"CtrlZTrimmed", "[Path]\nPDPath=v\x1a", "Path", "PDPath", "d", 260, "v"},
};
// clang-format on

// Test names show the case name, not the bytes of the structure.
void PrintTo(const IniCase& c, std::ostream* out) { *out << c.name; }

class IniTable : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniTable, ReadsLikeGetPrivateProfileString) {
  const IniCase& c = GetParam();
  TempDir dir;
  const std::string file = dir.File("case.ini");
  WriteFile(file, c.content);

  std::vector<char> buf(c.cap + 1, '#');
  const std::size_t n = os::ReadIniString(file.c_str(), c.section, c.key, c.def, buf.data(), c.cap);
  EXPECT_EQ(std::string(buf.data()), c.expected);
  EXPECT_EQ(n, c.expected.size());
  EXPECT_EQ(buf[c.cap], '#') << "written past the capacity";
}

INSTANTIATE_TEST_SUITE_P(Cases, IniTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadIniString, MissingFileGivesTheDefault) {
  TempDir dir;
  char buf[16];
  EXPECT_EQ(os::ReadIniString(dir.File("absent.ini").c_str(), "Path", "PDPath", "dflt", buf, sizeof buf), 4u);
  EXPECT_STREQ(buf, "dflt");
  // A directory in place of the file reads as a missing file.
  EXPECT_EQ(os::ReadIniString(dir.str().c_str(), "Path", "PDPath", "dflt", buf, sizeof buf), 4u);
  EXPECT_STREQ(buf, "dflt");
  os::ReadIniString(dir.File("absent.ini").c_str(), "Path", "PDPath", "\"q\"", buf, sizeof buf);
  EXPECT_STREQ(buf, "q");  // the default loses its quotes here too
}

TEST(ReadIniString, ZeroCapacityWritesNothing) {
  TempDir dir;
  WriteFile(dir.File("a.ini"), "[Path]\nPDPath=v\n");
  char buf[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(os::ReadIniString(dir.File("a.ini").c_str(), "Path", "PDPath", "d", buf, 0), 0u);
  EXPECT_EQ(buf[0], '#');
}

// A bare file name is read from the current directory (GetPrivateProfileStringA alone would look
// in the Windows directory).
TEST(ReadIniString, RelativeNamesUseTheCurrentDirectory) {
  TempDir dir;
  fs::create_directories(dir.path() / "sub");
  WriteFile(dir.File("here.ini"), "[Path]\nPDPath=top\n");
  WriteFile((dir.path() / "sub" / "there.ini").string(), "[Path]\nPDPath=sub\n");
  os_test::CurrentDir cd(dir.path());
  char buf[16];
  os::ReadIniString("here.ini", "Path", "PDPath", "d", buf, sizeof buf);
  EXPECT_STREQ(buf, "top");
  const std::string sub = std::string("sub") + os::kPathSep + "there.ini";
  os::ReadIniString(sub.c_str(), "Path", "PDPath", "d", buf, sizeof buf);
  EXPECT_STREQ(buf, "sub");
}

// A file rewritten between two reads is read anew.
TEST(ReadIniString, SeesAFileRewritten) {
  TempDir dir;
  const std::string file = dir.File("a.ini");
  char buf[16];
  WriteFile(file, "[Path]\nPDPath=one\n");
  os::ReadIniString(file.c_str(), "Path", "PDPath", "d", buf, sizeof buf);
  EXPECT_STREQ(buf, "one");
  WriteFile(file, "[Path]\nPDPath=second\n");
  os::ReadIniString(file.c_str(), "Path", "PDPath", "d", buf, sizeof buf);
  EXPECT_STREQ(buf, "second");
}

}  // namespace
