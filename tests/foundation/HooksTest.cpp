// The assertion and message hooks through which the window layer shows texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestUtil.h"
#include "src/core/misc/Message.h"
#include "src/core/misc/CxFile.h"

#define OV_SOURCE_NAME "tests\\foundation\\HooksTest"
#include "src/core/misc/Assert.h"

namespace {

void PrintingHook(const char* text) { std::fprintf(stderr, "hook got <%s>\n", text); }

TEST(AssertDeathTest, HookReceivesTheWholeText) {
  EXPECT_EXIT(
      {
        ov::SetAssertHook(PrintingHook);
        CxFile f;
        f.WriteDword(1);
      },
      testing::ExitedWithCode(3),
      "^hook got <Assertion failed: m_fp, file common\\\\misc\\\\CxFile, line " FT_RE_NUMBER ">" FT_RE_EOL
      "Abnormal program termination");
}

TEST(AssertDeathTest, ConditionAndLineOfTheCaller) {
  const int line = __LINE__ + 1;
  EXPECT_EXIT(OV_ASSERT(1 + 1 == 3), testing::ExitedWithCode(3),
              "^Assertion failed: 1 \\+ 1 == 3, file tests\\\\foundation\\\\HooksTest, line " +
                  std::to_string(line) + FT_RE_EOL);
}

struct Seen {
  std::string text, caption;
  ov::MessageIcon icon = ov::MessageIcon::Information;
};
Seen g_seen;

int RecordingHook(const char* text, const char* caption, ov::MessageIcon icon) {
  g_seen = {text, caption, icon};
  return 7;
}

TEST(ShowMessage, GoesToTheHook) {
  ov::MessageHook old = ov::SetMessageHook(RecordingHook);
  EXPECT_EQ(ov::ShowMessage("No user is selected.", "Information", ov::MessageIcon::Information), 7);
  EXPECT_EQ(g_seen.text, "No user is selected.");
  EXPECT_EQ(g_seen.caption, "Information");
  EXPECT_EQ(ov::ShowMessage(nullptr, "Error", ov::MessageIcon::Error), 7);
  EXPECT_EQ(g_seen.text, "");
  EXPECT_EQ(g_seen.icon, ov::MessageIcon::Error);
  EXPECT_EQ(ov::SetMessageHook(old), RecordingHook);
}

}  // namespace
