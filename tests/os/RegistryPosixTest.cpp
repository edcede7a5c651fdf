// The POSIX per-user registry file: its forms, its location, and files that are damaged or not
// registry exports at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "OsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using os_test::TempDir;
using os_test::WriteFile;

// Points XDG_CONFIG_HOME (or HOME) at a temporary directory for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (m_old) {
      ::setenv(m_name.c_str(), m_old->c_str(), 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
  }

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

// A UTF-16LE file with its byte order mark, as regedit writes it.
std::string Utf16(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

const char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";
// The header of the key the tool reads.
const std::string kCoreKey = "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n";
const char kCore[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

struct RegCase {
  const char* name;
  std::string file;
  const char* valueName;
  bool opens;
  os::RegResult result;
  std::string data;  // the bytes read, terminator included
};

// clang-format off
const RegCase kRegCases[] = {
  {"Plain", kHeader + kCoreKey + "\"DesktopPath\"=\"C:\\\\Palm\"\r\n"s,
   "DesktopPath", true, os::RegResult::Ok, "C:\\Palm\0"s},
  {"Regedit4Header",
   "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n\"DesktopPath\"=\"v\"\n"s,
   "DesktopPath", true, os::RegResult::Ok, "v\0"s},
  {"Utf16File", Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n"
                       u"[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n"
                       u"\"D\"=\"\u00e9\u2001\"\r\n"),
   "D", true, os::RegResult::Ok, "\xE9?\0"s},
  {"NoHeader", "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n\"DesktopPath\"=\"v\"\r\n"s,
   "DesktopPath", false, os::RegResult::Failed, ""},
  {"BinaryJunk", "\x00\x01\x02\xff\xfe[HKEY\x00"s, "DesktopPath", false, os::RegResult::Failed, ""},
  {"EmptyFile", "", "DesktopPath", false, os::RegResult::Failed, ""},
  {"OtherKeyOnly", kHeader + "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"DesktopPath\"=\"v\"\r\n"s,
   "DesktopPath", false, os::RegResult::Failed, ""},
  {"OtherHive",
   kHeader + "[HKEY_LOCAL_MACHINE\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n\"DesktopPath\"=\"v\"\r\n"s,
   "DesktopPath", false, os::RegResult::Failed, ""},
  {"UnclosedHeaderIgnored",
   kHeader + "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\r\n\"DesktopPath\"=\"v\"\r\n"s,
   "DesktopPath", false, os::RegResult::Failed, ""},
  {"UnterminatedStringSkipped", kHeader + kCoreKey + "\"DesktopPath\"=\"v\r\n\"Next\"=\"w\"\r\n"s,
   "DesktopPath", true, os::RegResult::Failed, ""},
  {"LineAfterBadLineRead", kHeader + kCoreKey + "garbage\r\n\"DesktopPath=\"x\"\r\n\"DesktopPath\"=\"v\"\r\n"s,
   "DesktopPath", true, os::RegResult::Ok, "v\0"s},
  {"TrailingJunkSkipped", kHeader + kCoreKey + "\"DesktopPath\"=\"v\" junk\r\n"s,
   "DesktopPath", true, os::RegResult::Failed, ""},
  {"EscapesUndone", kHeader + kCoreKey + "\"Desktop\\\"Path\\\\\" = \"a\\\\\\\"b\\\"\"\r\n"s,
   "Desktop\"Path\\", true, os::RegResult::Ok, "a\\\"b\"\0"s},
  {"LaterValueWins", kHeader + kCoreKey + "\"DesktopPath\"=\"1\"\r\n"
   "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"DesktopPath\"=\"x\"\r\n"
   "[hkey_current_user\\software\\u.s. robotics\\pilot desktop\\core]\r\n\"desktoppath\"=\"2\"\r\n"s,
   "DesktopPath", true, os::RegResult::Ok, "2\0"s},
  {"RemovedValue", kHeader + kCoreKey + "\"DesktopPath\"=\"1\"\r\n\"DesktopPath\"=-\r\n"s,
   "DesktopPath", true, os::RegResult::Failed, ""},
  {"Dword", kHeader + kCoreKey + "\"N\"=dword:0000012a\r\n"s,
   "N", true, os::RegResult::Ok, "\x2a\x01\0\0"s},
  {"BadDwordSkipped", kHeader + kCoreKey + "\"N\"=dword:123456789\r\n"s,
   "N", true, os::RegResult::Failed, ""},
  {"HexContinued", kHeader + kCoreKey + "\"B\"=hex:01,02,\\\r\n  ff\r\n\"Next\"=\"w\"\r\n"s,
   "B", true, os::RegResult::Ok, "\x01\x02\xff"s},
  {"ExpandStringFromUtf16", kHeader + kCoreKey + "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n"s,
   "E", true, os::RegResult::Ok, "%A%\0"s},
  {"BadHexSkipped", kHeader + kCoreKey + "\"B\"=hex:01,zz\r\n"s,
   "B", true, os::RegResult::Failed, ""},
  {"HexContinuedToEndOfFile", kHeader + kCoreKey + "\"B\"=hex:01,\\"s,
   "B", true, os::RegResult::Failed, ""},
  {"NulInsideValue", kHeader + kCoreKey + "\"D\"=\"a\0b\"\r\n"s,
   "D", true, os::RegResult::Ok, "a\0b\0"s},
  {"LongValue", kHeader + kCoreKey + "\"D\"=\""s + std::string(3000, 'v') + "\"\r\n",
   "D", true, os::RegResult::Ok, std::string(3000, 'v') + "\0"s},
};
// clang-format on

void PrintTo(const RegCase& c, std::ostream* out) { *out << c.name; }

class RegFileTable : public ::testing::TestWithParam<RegCase> {};

TEST_P(RegFileTable, ReadsWhatTheFileHolds) {
  const RegCase& c = GetParam();
  TempDir config;
  ScopedEnv xdg("XDG_CONFIG_HOME", config.str().c_str());
  fs::create_directories(config.path() / "orvane");
  WriteFile((config.path() / "orvane" / "HKCU.reg").string(), c.file);

  os::RegKey key = os::RegOpenCurrentUserKey(kCore);
  ASSERT_EQ(key != nullptr, c.opens);
  if (key == nullptr) return;
  char buf[4096];
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(key, c.valueName, buf, &size), c.result);
  if (c.result == os::RegResult::Ok) {
    EXPECT_EQ(std::string(buf, size), c.data);
  }
  os::RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegFileTable, ::testing::ValuesIn(kRegCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegistryFile, FoundUnderHomeWhenXdgConfigHomeIsUnsetOrRelative) {
  TempDir home;
  fs::create_directories(home.path() / ".config" / "orvane");
  WriteFile((home.path() / ".config" / "orvane" / "HKCU.reg").string(),
            kHeader + "[HKEY_CURRENT_USER\\Software\\X]\r\n"s);
  ScopedEnv homeEnv("HOME", home.str().c_str());
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    os::RegKey key = os::RegOpenCurrentUserKey("Software\\X");
    EXPECT_NE(key, nullptr);
    os::RegCloseKey(key);
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/dir");
    os::RegKey key = os::RegOpenCurrentUserKey("Software\\X");
    EXPECT_NE(key, nullptr);
    os::RegCloseKey(key);
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(os::RegOpenCurrentUserKey("Software\\X"), nullptr);
  }
}

TEST(RegistryFile, MissingFileOpensNothing) {
  TempDir config;
  ScopedEnv xdg("XDG_CONFIG_HOME", config.str().c_str());
  EXPECT_EQ(os::RegOpenCurrentUserKey(kCore), nullptr);
  EXPECT_EQ(os::RegOpenCurrentUserKey(""), nullptr);
}

}  // namespace
