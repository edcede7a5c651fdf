// Profiles given by file: the text reader and writer agree, and a saved profile named as a file
// reads exactly as the main window reads it.
#include "src/core/ProfileText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "ProfileTestUtil.h"

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo, for the FIFO case
#endif

namespace {

using profiles_test::Bytes;
using profiles_test::kQuickMs;
using profiles_test::Put32;
using profiles_test::ScratchDir;
using profiles_test::TimedMs;
using profiles_test::WriteAll;

using Recs = std::vector<ProfileRec>;

const std::string kHeader = std::string(kProfileTextHeader) + "\n";

// -------------------------------------------------------------------------------------------------
// Line length

// The limit counts the line's own bytes; its line end, LF or CR LF, does not count.
TEST(ProfileText, TheLineLimitIsTheSameWithCrLfAndLf) {
  const std::string entry = "memo sync";
  const struct {
    std::size_t nLength;
    bool bOk;
  } lengths[] = {{kProfileTextMaxLine - 1, true}, {kProfileTextMaxLine, true}, {kProfileTextMaxLine + 1, false}};
  for (const auto& l : lengths) {
    const std::string line = entry + std::string(l.nLength - entry.size() - 1, ' ') + "#";
    ASSERT_EQ(line.size(), l.nLength);
    for (const char* eol : {"\n", "\r\n"}) {
      for (bool bLast : {false, true}) {  // the last line may have no line end
        const std::string text = kHeader + line + (bLast ? "" : eol) + (bLast ? "" : "date sync" + std::string(eol));
        const ProfileReadResult read = ParseProfileText(text);
        EXPECT_EQ(read.bOk, l.bOk) << l.nLength << (eol[0] == '\r' ? " CRLF" : " LF") << ": " << read.error;
        if (!l.bOk) {
          EXPECT_EQ(read.nLine, 2u);
          EXPECT_EQ(read.error, "the line is longer than 1024 bytes");
        }
      }
    }
  }
}

// -------------------------------------------------------------------------------------------------
// The writer writes only what the reader takes

// A creator listed twice is written once, with its first action, and the writer says how many
// records it left out.
TEST(ProfileText, ACreatorListedTwiceIsWrittenOnceWithItsFirstAction) {
  const Recs recs = {{0x6D656D6F, 1}, {0x64617465, 2}, {0x6D656D6F, 8}, {0x6D656D6F, 4}, {0x61646472, 1}};
  std::string text, why;
  std::size_t nLeftOut = 99;
  ASSERT_TRUE(FormatProfileText(recs, "Office", nullptr, &text, &nLeftOut, &why)) << why;
  EXPECT_EQ(nLeftOut, 2u);
  const ProfileReadResult read = ParseProfileText(text);
  ASSERT_TRUE(read.bOk) << read.nLine << ": " << read.error;
  EXPECT_EQ(read.recs, (Recs{{0x6D656D6F, 1}, {0x64617465, 2}, {0x61646472, 1}}));
  EXPECT_EQ(FormatProfileText(recs, "Office", nullptr), text);

  ASSERT_TRUE(FormatProfileText(read.recs, "Office", nullptr, &text, &nLeftOut, &why));
  EXPECT_EQ(nLeftOut, 0u);
}

// Long titles and descriptions are cut to fit their line; a profile that would make a text the
// reader refuses is not formatted at all.
TEST(ProfileText, WhatTheReaderWouldRefuseIsNeverWritten) {
  const auto title = [](std::size_t n) {
    return [n](std::uint32_t) { return std::string(n, 't'); };
  };
  const auto many = [](std::size_t n) {
    Recs recs;
    for (std::size_t i = 0; i < n; ++i) recs.push_back({static_cast<std::uint32_t>(i), 1});
    return recs;
  };
  const struct {
    const char* what;
    Recs recs;
    std::string description;
    std::function<std::string(std::uint32_t)> title;
    const char* why;  // "" when it is written
  } cases[] = {
      {"a long title", many(3), "Office", title(5000), ""},
      {"a long description", many(3), std::string(5000, 'd'), nullptr, ""},
      {"sixty thousand conduits", many(60000), "", nullptr, ""},
      {"more conduits than a text may list", many(kProfileTextMaxEntries + 1), "", nullptr, "more than 65535 conduits"},
      {"titles past the size limit", many(2000), "", title(900), "larger than 1024 KiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = "unchanged", why;
    const bool bOk = FormatProfileText(c.recs, c.description, c.title, &text, nullptr, &why);
    if (*c.why) {
      EXPECT_FALSE(bOk);
      EXPECT_EQ(text, "");
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
      EXPECT_EQ(FormatProfileText(c.recs, c.description, c.title), "");
      continue;
    }
    ASSERT_TRUE(bOk) << why;
    const ProfileReadResult read = ParseProfileText(text);
    ASSERT_TRUE(read.bOk) << read.nLine << ": " << read.error;
    EXPECT_EQ(read.recs, c.recs);
  }
}

// -------------------------------------------------------------------------------------------------
// Files

Bytes SavedProfile(std::uint32_t nCount, const Recs& recs, Bytes tail = {}) {
  Bytes b;
  Put32(b, nCount);
  for (const ProfileRec& r : recs) {
    Put32(b, r.dwCreatorID);
    Put32(b, r.dwAction);
  }
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

// A saved profile named as a file is taken exactly when the main window's Load takes it whole,
// with the same records; a damaged one is told as damaged.
TEST(ReadProfileFile, ASavedProfileReadsAsTheMainWindowReadsIt) {
  const Recs two = {{0x6D656D6F, 1}, {0xFFFFFFFF, 0x10002}};
  const struct {
    const char* what;
    Bytes bytes;
    const char* error;  // "" when read
  } cases[] = {
      {"whole", SavedProfile(2, two), ""},
      {"bytes after the last record", SavedProfile(2, two, {'x', 0, 'y'}), ""},
      {"a whole record more than announced", SavedProfile(1, two), ""},
      {"no records", SavedProfile(0, {}), ""},
      {"cut short", SavedProfile(3, two, {1, 2, 3}), "a damaged saved profile: it announces 3 conduits but holds 2 whole"},
      {"count cut short", Bytes{1, 0}, "a damaged saved profile: it ends before its count of conduits"},
      {"a count a text never has", SavedProfile(0x00FFFFFF, {}), "a damaged saved profile: it announces 16777215 conduits but holds 0 whole"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("ovprof1.dat");
    WriteAll(path, c.bytes);
    OVProfile window;
    window.SetFileName(path.c_str());
    const bool bWindow = window.Load();
    const ProfileReadResult read = ReadProfileFile(path.c_str());
    EXPECT_EQ(read.bOk, bWindow);
    EXPECT_EQ(read.bOk, *c.error == '\0') << read.error;
    if (read.bOk) {
      EXPECT_EQ(read.recs, window.GetRecords());
    } else {
      EXPECT_EQ(read.error, c.error);
      EXPECT_EQ(read.nLine, 0u);
    }
  }
}

// What is not a regular file is refused at once: a FIFO is never opened, so nothing waits for a
// writer that never comes.
TEST(ReadProfileFile, RefusesWhatIsNotAFileAtOnce) {
  ScratchDir dir;
  std::vector<std::pair<std::string, const char*>> cases = {
      {dir.str(), "this is a directory"},
      {dir.File("absent.txt"), "the file could not be opened"},
      {"", "no file was named"},
  };
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  cases.push_back({dir.File("fifo"), "this is not a regular file"});
  cases.push_back({"/dev/zero", "this is not a regular file"});  // would never end
#endif
  for (const auto& [path, said] : cases) {
    ProfileReadResult read;
    EXPECT_LT(TimedMs([&] { read = ReadProfileFile(path.c_str()); }), kQuickMs) << path;
    EXPECT_FALSE(read.bOk) << path;
    EXPECT_EQ(read.error.rfind(said, 0), 0u) << path << ": " << read.error;
  }
}

}  // namespace
