// Reading string values under HKEY_CURRENT_USER, with RegQueryValueExA's size rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "RegistrySandbox.h"
#include "src/core/os/os.h"

namespace {

using os_test::RegistrySandbox;

// Opens a key and closes it again at the end of the scope.
struct OpenKey {
  explicit OpenKey(const std::string& subkey) : key(os::RegOpenCurrentUserKey(subkey.c_str())) {}
  ~OpenKey() { os::RegCloseKey(key); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  os::RegKey key;
};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

TEST(Registry, ReadsAStringValue) {
  RegistrySandbox reg;
  const std::string core = reg.Root() + "\\Pilot Desktop\\Core";
  const std::string path = "C:\\Program Files\\Palm \"Desktop\"\\";
  reg.PutString(core, "DesktopPath", path);
  reg.PutString(core, "Other", "x");

  // Key path and value name are matched without regard to letter case.
  OpenKey k(Upper(core));
  ASSERT_NE(k.key, nullptr);
  char buf[260];
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, "desktoppath", buf, &size), os::RegResult::Ok);
  EXPECT_EQ(size, path.size() + 1);
  EXPECT_EQ(std::string(buf), path);

  size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, "Other", buf, &size), os::RegResult::Ok);
  EXPECT_STREQ(buf, "x");
}

TEST(Registry, ReportsTheSizeNeeded) {
  RegistrySandbox reg;
  const std::string key = reg.Root() + "\\Core";
  reg.PutString(key, "DesktopPath", "abcdef");
  OpenKey k(key);
  ASSERT_NE(k.key, nullptr);

  char buf[16];
  std::uint32_t size = 7;  // exactly the value and its terminator
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPath", buf, &size), os::RegResult::Ok);
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(buf, "abcdef");

  std::memset(buf, '#', sizeof buf);
  size = 6;  // one byte short
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPath", buf, &size), os::RegResult::MoreData);
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(buf[6], '#');

  size = 0;
  buf[0] = '#';
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPath", buf, &size), os::RegResult::MoreData);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(buf[0], '#');

  // No buffer: a question for the size alone.
  size = 0;
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPath", nullptr, &size), os::RegResult::Ok);
  EXPECT_EQ(size, 7u);
}

TEST(Registry, EmptyAndDefaultValues) {
  RegistrySandbox reg;
  const std::string key = reg.Root() + "\\Core";
  reg.PutString(key, "", "default text");
  reg.PutString(key, "Empty", "");
  OpenKey k(key);
  ASSERT_NE(k.key, nullptr);

  char buf[32];
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, "", buf, &size), os::RegResult::Ok);
  EXPECT_STREQ(buf, "default text");
  size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, nullptr, buf, &size), os::RegResult::Ok);
  EXPECT_STREQ(buf, "default text");

  size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, "Empty", buf, &size), os::RegResult::Ok);
  EXPECT_EQ(size, 1u);
  EXPECT_STREQ(buf, "");
}

TEST(Registry, MissingKeysAndValues) {
  RegistrySandbox reg;
  const std::string key = reg.Root() + "\\Pilot Desktop\\Core";
  reg.PutString(key, "DesktopPath", "x");

  EXPECT_EQ(os::RegOpenCurrentUserKey((reg.Root() + "\\Pilot Desktop\\Cor").c_str()), nullptr);
  EXPECT_EQ(os::RegOpenCurrentUserKey((reg.Root() + "\\Pilot Desktop\\Core\\Deeper").c_str()), nullptr);
  EXPECT_EQ(os::RegOpenCurrentUserKey(nullptr), nullptr);

  // A key whose only content is a subkey exists.
  {
    OpenKey parent(reg.Root() + "\\Pilot Desktop");
    EXPECT_NE(parent.key, nullptr);
  }

  OpenKey k(key);
  ASSERT_NE(k.key, nullptr);
  char buf[16] = "#";
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPat", buf, &size), os::RegResult::Failed);
  EXPECT_EQ(os::RegQueryString(k.key, "DesktopPath", buf, nullptr), os::RegResult::Failed);
  EXPECT_EQ(os::RegQueryString(nullptr, "DesktopPath", buf, &size), os::RegResult::Failed);
  os::RegCloseKey(nullptr);
}

}  // namespace
