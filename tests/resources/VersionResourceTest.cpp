// The tool's Windows resources, linked into this test executable and read back from it the way
// Explorer reads them: the fixed version numbers, the version strings of the U.S. English,
// Latin-1 block, and the icon MAINICON with all of its images.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#ifndef ORVANE_VERSION
#error "ORVANE_VERSION must give the project's version"
#endif

namespace {

std::vector<char> OwnVersionInfo() {
  char path[MAX_PATH];
  const DWORD len = GetModuleFileNameA(nullptr, path, sizeof path);
  if (len == 0 || len >= sizeof path) return {};
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return {};
  return data;
}

// One value of the version information, or nullptr with *size 0.
const void* Query(std::vector<char>& info, const std::string& subBlock, UINT* size) {
  void* value = nullptr;
  *size = 0;
  if (!VerQueryValueA(info.data(), subBlock.c_str(), &value, size)) return nullptr;
  return value;
}

std::string QueryString(std::vector<char>& info, const char* name) {
  UINT size = 0;
  const char* value = static_cast<const char*>(Query(info, std::string("\\StringFileInfo\\040904E4\\") + name, &size));
  if (value == nullptr) return "(missing)";
  std::string s(value, size);
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

TEST(VersionResource, FixedVersionMatchesTheProject) {
  std::vector<char> info = OwnVersionInfo();
  ASSERT_FALSE(info.empty()) << "no version resource in the executable";
  UINT size = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(info, "\\", &size));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(size, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);

  unsigned v[4] = {};
  ASSERT_EQ(std::sscanf(ORVANE_VERSION, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]), 4) << ORVANE_VERSION;
  EXPECT_EQ(fixed->dwFileVersionMS, (v[0] << 16) | v[1]);
  EXPECT_EQ(fixed->dwFileVersionLS, (v[2] << 16) | v[3]);
  EXPECT_EQ(fixed->dwProductVersionMS, (v[0] << 16) | v[1]);
  EXPECT_EQ(fixed->dwProductVersionLS, (v[2] << 16) | v[3]);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // The strings sit in the block the translation table names.
  const auto* translation = static_cast<const WORD*>(Query(info, "\\VarFileInfo\\Translation", &size));
  ASSERT_NE(translation, nullptr);
  ASSERT_GE(size, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);
}

TEST(VersionResource, StringsNameTheProduct) {
  std::vector<char> info = OwnVersionInfo();
  ASSERT_FALSE(info.empty());
  const struct {
    const char* name;
    const char* value;
  } cases[] = {
      {"FileVersion", ORVANE_VERSION},
      {"ProductVersion", ORVANE_VERSION},
      {"FileDescription", "Orvane"},
      {"InternalName", "Orvane"},
      {"OriginalFilename", "Orvane"},
      {"ProductName", "Orvane"},
      {"LegalTrademarks", "Orvane"},
      {"Comments", "Customize HotSync settings quickly."},
  };
  for (const auto& c : cases) EXPECT_EQ(QueryString(info, c.name), c.value) << c.name;
}

TEST(IconResource, MainIconCarriesEveryImage) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(self, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  ASSERT_GE(SizeofResource(self, group), 6u);
  const auto* dir = static_cast<const WORD*>(LockResource(LoadResource(self, group)));
  ASSERT_NE(dir, nullptr);
  // The group header: reserved 0, type 1 (icon), then the number of images of orvane.ico.
  EXPECT_EQ(dir[1], 1);
  EXPECT_EQ(dir[2], 4);
  HICON icon = LoadIconA(self, "MAINICON");
  EXPECT_NE(icon, nullptr);
}

}  // namespace
