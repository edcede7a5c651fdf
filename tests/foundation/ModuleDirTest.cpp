#include "src/core/misc/ModuleDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "src/core/os/os.h"

namespace {

namespace fs = std::filesystem;

void FunctionInThisExecutable() {}

TEST(GetModuleDirectory, NamesTheExecutablesDirectory) {
  char buf[260];
  ASSERT_TRUE(GetModuleDirectory(nullptr, buf));
  const std::string dir = buf;
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), os::kPathSep);
  EXPECT_TRUE(fs::exists(dir + FOUNDATION_EXE_NAME)) << dir;

  // The same directory found through an address inside the executable.
  char viaAddress[260];
  ASSERT_TRUE(GetModuleDirectory(reinterpret_cast<const void*>(&FunctionInThisExecutable), viaAddress,
                                 sizeof viaAddress));
  EXPECT_TRUE(fs::equivalent(dir + FOUNDATION_EXE_NAME, std::string(viaAddress) + FOUNDATION_EXE_NAME))
      << viaAddress;
}

TEST(GetModuleDirectory, NeverCutsTheDirectory) {
  char full[1024];
  ASSERT_TRUE(GetModuleDirectory(nullptr, full, sizeof full));
  const std::size_t need = std::strlen(full) + 1;

  char buf[1024];
  std::memset(buf, '#', sizeof buf);
  EXPECT_FALSE(GetModuleDirectory(nullptr, buf, need - 1));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(buf[need - 1], '#');

  EXPECT_TRUE(GetModuleDirectory(nullptr, buf, need));
  EXPECT_STREQ(buf, full);

  EXPECT_FALSE(GetModuleDirectory(nullptr, nullptr, 260));
  EXPECT_FALSE(GetModuleDirectory(nullptr, buf, 0));
}

TEST(OpenWithShell, RefusesAnEmptyTarget) {
  EXPECT_FALSE(OpenWithShell(nullptr));
  EXPECT_FALSE(OpenWithShell(""));
}

}  // namespace
