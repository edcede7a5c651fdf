// Current directory, file tests, the executable's and a module's path, short paths, replacing
// and deleting files, the shell opener.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include "OsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using os_test::CurrentDir;
using os_test::ReadFile;
using os_test::TempDir;
using os_test::WriteFile;

void FunctionInThisExecutable() {}

TEST(CurrentDirectory, RoundTrip) {
  TempDir dir;
  CurrentDir restore(fs::current_path());
  ASSERT_TRUE(os::SetCurrentDirectory(dir.str().c_str()));
  char buf[4096];
  ASSERT_TRUE(os::GetCurrentDirectory(buf, sizeof buf));
  EXPECT_TRUE(fs::equivalent(fs::path(buf), dir.path())) << buf;
  EXPECT_NE(std::string(buf).back(), os::kPathSep);

  // A missing directory leaves the current one as it was.
  EXPECT_FALSE(os::SetCurrentDirectory(dir.File("absent").c_str()));
  EXPECT_FALSE(os::SetCurrentDirectory(""));
  EXPECT_FALSE(os::SetCurrentDirectory(nullptr));
  char again[4096];
  ASSERT_TRUE(os::GetCurrentDirectory(again, sizeof again));
  EXPECT_STREQ(again, buf);

  // Too small a buffer: false and "", nothing written past it.
  const std::size_t need = std::strlen(buf) + 1;
  std::memset(again, '#', sizeof again);
  EXPECT_FALSE(os::GetCurrentDirectory(again, need - 1));
  EXPECT_STREQ(again, "");
  EXPECT_EQ(again[need - 1], '#');
  EXPECT_TRUE(os::GetCurrentDirectory(again, need));
  EXPECT_FALSE(os::GetCurrentDirectory(again, 0));
}

TEST(FileExists, FilesAndDirectories) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), "a");
  EXPECT_TRUE(os::FileExists(dir.File("a.txt").c_str()));
  EXPECT_TRUE(os::FileExists(dir.str().c_str()));
  EXPECT_FALSE(os::FileExists(dir.File("b.txt").c_str()));
  EXPECT_FALSE(os::FileExists(""));
  EXPECT_FALSE(os::FileExists(nullptr));
  CurrentDir cd(dir.path());
  EXPECT_TRUE(os::FileExists("a.txt"));
}

// What a path names, asked without opening it: a FIFO is told apart at once, with no writer.
TEST(FileKind, RegularFilesDirectoriesAndTheRest) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), "a");
  std::vector<std::pair<std::string, os::FileKind>> cases = {
      {dir.File("a.txt"), os::FileKind::Regular},
      {dir.str(), os::FileKind::Directory},
      {dir.File("absent"), os::FileKind::Missing},
      {"", os::FileKind::Missing},
  };
#ifdef _WIN32
  cases.push_back({"NUL", os::FileKind::Other});
  cases.push_back({"\\\\.\\pipe\\orvane-no-such-pipe", os::FileKind::Other});
#else
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  cases.push_back({dir.File("fifo"), os::FileKind::Other});
  cases.push_back({"/dev/null", os::FileKind::Other});
#endif
  for (const auto& [path, kind] : cases) {
    EXPECT_EQ(os::GetFileKind(path.c_str()), kind) << path;
    EXPECT_EQ(os::IsRegularFile(path.c_str()), kind == os::FileKind::Regular) << path;
  }
  EXPECT_EQ(os::GetFileKind(nullptr), os::FileKind::Missing);
}

TEST(ErrnoText, NamesTheError) {
  EXPECT_EQ(os::ErrnoText(0), "");
  EXPECT_FALSE(os::ErrnoText(ENOENT).empty());
  EXPECT_NE(os::ErrnoText(ENOENT), os::ErrnoText(EACCES));
}

// A failed replace says why in errno, on every system.
TEST(ReplaceFile, AFailureSetsErrno) {
  TempDir dir;
  errno = 0;
  EXPECT_FALSE(os::ReplaceFile(dir.File("absent").c_str(), dir.File("b").c_str()));
  EXPECT_EQ(errno, ENOENT);
}

TEST(ExecutablePath, NamesThisProgram) {
  char buf[4096];
  ASSERT_TRUE(os::GetExecutablePath(buf, sizeof buf));
  const fs::path self = buf;
  EXPECT_TRUE(self.is_absolute()) << buf;
  EXPECT_EQ(self.filename().string(), OS_TEST_EXE_NAME);
  EXPECT_TRUE(fs::is_regular_file(self));

  // The executable's module, found from an address inside it.
  const std::string viaAddress =
      os::GetModulePathOf(reinterpret_cast<const void*>(&FunctionInThisExecutable));
  EXPECT_TRUE(fs::equivalent(fs::path(viaAddress), self)) << viaAddress;
  EXPECT_EQ(os::GetModulePathOf(nullptr), "");

  const std::size_t need = std::strlen(buf) + 1;
  char small[4096];
  std::memset(small, '#', sizeof small);
  EXPECT_FALSE(os::GetExecutablePath(small, need - 1));
  EXPECT_STREQ(small, "");
  EXPECT_EQ(small[need - 1], '#');
  EXPECT_TRUE(os::GetExecutablePath(small, need));
  EXPECT_STREQ(small, buf);
  EXPECT_FALSE(os::GetExecutablePath(nullptr, 10));
}

TEST(ShortPath, NamesTheSameFileWhereThereIsOne) {
  TempDir dir;
  fs::create_directories(dir.path() / "A long directory name");
  const std::string file = (dir.path() / "A long directory name" / "long file name.text").string();
  WriteFile(file, "x");
  char buf[4096];
  std::memset(buf, '#', sizeof buf);
#ifdef _WIN32
  ASSERT_TRUE(os::GetShortPath(file.c_str(), buf, sizeof buf));
  EXPECT_EQ(std::strchr(buf, ' '), nullptr) << buf;
  EXPECT_TRUE(fs::equivalent(fs::path(buf), fs::path(file))) << buf;
  const std::size_t need = std::strlen(buf) + 1;
  EXPECT_FALSE(os::GetShortPath(file.c_str(), buf, need - 1));
  EXPECT_STREQ(buf, "");
  EXPECT_FALSE(os::GetShortPath(dir.File("absent").c_str(), buf, sizeof buf));
#else
  EXPECT_FALSE(os::GetShortPath(file.c_str(), buf, sizeof buf));
  EXPECT_STREQ(buf, "");
#endif
}

TEST(ReplaceFile, ReplacesAnExistingFile) {
  TempDir dir;
  WriteFile(dir.File("new.tmp"), "new contents");
  WriteFile(dir.File("data.dat"), "old");
  EXPECT_TRUE(os::ReplaceFile(dir.File("new.tmp").c_str(), dir.File("data.dat").c_str()));
  EXPECT_EQ(ReadFile(dir.File("data.dat")), "new contents");
  EXPECT_FALSE(fs::exists(dir.File("new.tmp")));

  // Also when nothing is there yet.
  WriteFile(dir.File("new.tmp"), "first");
  EXPECT_TRUE(os::ReplaceFile(dir.File("new.tmp").c_str(), dir.File("fresh.dat").c_str()));
  EXPECT_EQ(ReadFile(dir.File("fresh.dat")), "first");

  // A missing source leaves the target alone.
  EXPECT_FALSE(os::ReplaceFile(dir.File("absent.tmp").c_str(), dir.File("data.dat").c_str()));
  EXPECT_EQ(ReadFile(dir.File("data.dat")), "new contents");
  EXPECT_FALSE(os::ReplaceFile(nullptr, dir.File("data.dat").c_str()));
  EXPECT_FALSE(os::ReplaceFile(dir.File("data.dat").c_str(), ""));
}

TEST(RemoveFile, DeletesFilesOnly) {
  TempDir dir;
  WriteFile(dir.File("a.txt"), "a");
  EXPECT_TRUE(os::RemoveFile(dir.File("a.txt").c_str()));
  EXPECT_FALSE(fs::exists(dir.File("a.txt")));
  EXPECT_FALSE(os::RemoveFile(dir.File("a.txt").c_str()));
  fs::create_directories(dir.path() / "sub");
  EXPECT_FALSE(os::RemoveFile(dir.File("sub").c_str()));
  EXPECT_TRUE(fs::exists(dir.path() / "sub"));
  EXPECT_FALSE(os::RemoveFile(""));
  EXPECT_FALSE(os::RemoveFile(nullptr));
}

TEST(ShellOpen, RefusesAnEmptyTarget) {
  EXPECT_FALSE(os::ShellOpen(nullptr));
  EXPECT_FALSE(os::ShellOpen(""));
}

// A program named bare is found in the current directory and started without waiting for it.
// (Its name differs from the test program's own: Windows looks beside the caller first.)
TEST(ShellOpen, StartsAProgramFromTheCurrentDirectory) {
  TempDir dir;
  const std::string name = "started" + fs::path(OS_MARKER_NAME).extension().string();
  fs::copy_file(os_test::ExeDir() / OS_MARKER_NAME, dir.path() / name);
  CurrentDir cd(dir.path());
  ASSERT_TRUE(os::ShellOpen(name.c_str()));
  EXPECT_TRUE(os_test::WaitForFile(dir.File("marker.txt"), 20));
  EXPECT_EQ(ReadFile(dir.File("marker.txt")), "started");
}

}  // namespace
