// Loading a library by path, finding its entry points, releasing it.
#include <gtest/gtest.h>

#include <string>

#include "OsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using os_test::CurrentDir;
using os_test::TempDir;

using AnswerFn = int (*)();
using PathFn = const char* (*)();

fs::path TestLibrary() { return os_test::ExeDir() / OS_TESTLIB_NAME; }

TEST(Library, LoadsByBareNameFromTheCurrentDirectory) {
  ASSERT_TRUE(fs::exists(TestLibrary())) << TestLibrary();
  CurrentDir cd(os_test::ExeDir());
  os::Library lib = os::LoadLibrary(OS_TESTLIB_NAME);
  ASSERT_NE(lib, nullptr);

  auto answer = reinterpret_cast<AnswerFn>(os::FindSymbol(lib, "OsTestAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(os::FindSymbol(lib, "OsTestMissing"), nullptr);
  EXPECT_EQ(os::FindSymbol(lib, nullptr), nullptr);
  EXPECT_EQ(os::FindSymbol(nullptr, "OsTestAnswer"), nullptr);

  // The library finds its own file.
  auto modulePath = reinterpret_cast<PathFn>(os::FindSymbol(lib, "OsTestModulePath"));
  ASSERT_NE(modulePath, nullptr);
  EXPECT_TRUE(fs::equivalent(fs::path(modulePath()), TestLibrary())) << modulePath();
  os::FreeLibrary(lib);
}

// Two libraries of one file name in two directories, each loaded by a relative path from its
// own directory: the second load must not hand back the first library.
TEST(Library, RelativePathsFollowTheCurrentDirectory) {
  TempDir dir;
  for (const char* sub : {"one", "two"}) {
    fs::create_directories(dir.path() / sub / "lib");
    fs::copy_file(TestLibrary(), dir.path() / sub / "lib" / OS_TESTLIB_NAME);
  }
  const std::string relative = std::string("lib") + os::kPathSep + OS_TESTLIB_NAME;
  os::Library libs[2] = {};
  for (int i = 0; i < 2; ++i) {
    CurrentDir cd(dir.path() / (i == 0 ? "one" : "two"));
    libs[i] = os::LoadLibrary(relative.c_str());
    ASSERT_NE(libs[i], nullptr) << i;
  }
  for (int i = 0; i < 2; ++i) {
    auto modulePath = reinterpret_cast<PathFn>(os::FindSymbol(libs[i], "OsTestModulePath"));
    ASSERT_NE(modulePath, nullptr);
    EXPECT_TRUE(fs::equivalent(fs::path(modulePath()),
                               dir.path() / (i == 0 ? "one" : "two") / "lib" / OS_TESTLIB_NAME))
        << modulePath();
  }
  os::FreeLibrary(libs[0]);
  os::FreeLibrary(libs[1]);
}

// A refusal says why: the caller tells a missing file from a library of the other word size,
// which Windows reports as error 193 (ERROR_BAD_EXE_FORMAT) and glibc as a wrong ELF class.
TEST(Library, FailureSaysWhy) {
  TempDir dir;
  os_test::WriteFile(dir.File("fake.dll"), "this is not a library\n");
  // The test library with the other word size in its ELF header (byte 4: 1 is 32-bit, 2 is 64-bit).
  std::string foreign = os_test::ReadFile(TestLibrary().string());
  ASSERT_GT(foreign.size(), 4u);
  foreign[4] = foreign[4] == 1 ? 2 : 1;
  os_test::WriteFile(dir.File("foreign.dll"), foreign);
#ifdef _WIN32
  // Windows refuses a file that is no image with the same error 193 as one of the other word size.
  const os::LoadFailure notALibrary = os::LoadFailure::WrongArchitecture;
#else
  const os::LoadFailure notALibrary = os::LoadFailure::Other;
#endif
  const struct {
    const char* name;
    os::LoadFailure kind;
  } cases[] = {
      {"absent.dll", os::LoadFailure::NotFound},
      {"fake.dll", notALibrary},
#ifndef _WIN32
      {"foreign.dll", os::LoadFailure::WrongArchitecture},
#endif
  };
  for (const auto& c : cases) {
    os::LoadError error;
    error.kind = os::LoadFailure::Other;
    EXPECT_EQ(os::LoadLibrary(dir.File(c.name).c_str(), &error), nullptr) << c.name;
    EXPECT_EQ(error.kind, c.kind) << c.name << ": " << error.text;
    EXPECT_FALSE(error.text.empty()) << c.name;
#ifdef _WIN32
    if (c.kind == os::LoadFailure::WrongArchitecture) {
      EXPECT_EQ(error.code, 193u) << c.name;
    }
#endif
  }
  // A success clears what an earlier failure left.
  os::LoadError error{os::LoadFailure::Other, 5, "old"};
  os::Library lib = os::LoadLibrary(TestLibrary().string().c_str(), &error);
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(error.kind, os::LoadFailure::None);
  EXPECT_EQ(error.text, "");
  os::FreeLibrary(lib);
}

TEST(Library, FailsCalmly) {
  TempDir dir;
  os_test::WriteFile(dir.File("fake.dll"), "this is not a library\n");
  CurrentDir cd(dir.path());
  EXPECT_EQ(os::LoadLibrary("fake.dll"), nullptr);
  EXPECT_EQ(os::LoadLibrary("absent.dll"), nullptr);
  EXPECT_EQ(os::LoadLibrary(dir.File("absent.dll").c_str()), nullptr);
  EXPECT_EQ(os::LoadLibrary(""), nullptr);
  EXPECT_EQ(os::LoadLibrary(nullptr), nullptr);
  os::FreeLibrary(nullptr);
}

}  // namespace
