// The window rules as tables: what every action value is called, whether its row is ticked, what
// Apply writes for it, which radio button and popup item it checks; the kind defaults, the media
// type names and the cut of a profile description.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "src/core/palm/CondMgr.h"
#include "src/logic/CondDetail.h"
#include "src/logic/Main.h"
#include "src/logic/ProfDetail.h"
#include "src/logic/Userinfo.h"

namespace {

struct ActionCase {
  std::uint32_t action;
  const char* name;
  bool ticked;
  std::int32_t code;
  CondChoice choice;
};

// Anything above 0xFFFF is switched off whatever its low bits; 8 is "do nothing" but not switched
// off; a code no menu sets (a damaged file's) counts as synchronize everywhere.
const ActionCase kActions[] = {
    {1, "Synchronize the files", true, 0, CondChoice::Sync},
    {2, "Desktop overwrites handheld", true, 1, CondChoice::PC2HH},
    {4, "Handheld overwrites Desktop", true, 2, CondChoice::HH2PC},
    {8, "Do Nothing", false, 3, CondChoice::Nothing},
    {0, "Synchronize the files", true, 0, CondChoice::Sync},
    {3, "Synchronize the files", true, 0, CondChoice::Sync},
    {0xFFFF, "Synchronize the files", true, 0, CondChoice::Sync},
    {0x10000, "Do Nothing", false, 3, CondChoice::Nothing},
    {0x10002, "Do Nothing", false, 3, CondChoice::Nothing},
    {0x10004, "Do Nothing", false, 3, CondChoice::Nothing},
    {0x10008, "Do Nothing", false, 3, CondChoice::Nothing},
    {0x20001, "Do Nothing", false, 3, CondChoice::Nothing},
    {0xFFFFFFFF, "Do Nothing", false, 3, CondChoice::Nothing},
};

TEST(ActionRules, NameTickCodeAndRadioOfEveryAction) {
  for (const ActionCase& c : kActions) {
    SCOPED_TRACE(testing::Message() << "action 0x" << std::hex << c.action);
    char sz[ACTION_NAME_LEN];
    std::memset(sz, 'x', sizeof sz);
    GetActionName(c.action, sz);
    EXPECT_STREQ(sz, c.name);
    EXPECT_EQ(ActionName(c.action), c.name);
    EXPECT_EQ(IsActionTicked(c.action), c.ticked);
    EXPECT_EQ(SyncPrefCode(c.action), c.code);
    EXPECT_EQ(ChoiceForAction(c.action), c.choice);
  }
}

TEST(ActionRules, DefaultActionOfEveryKind) {
  const struct {
    std::uint32_t kind;
    std::uint32_t expected;
  } cases[] = {
      {COND_KIND_REGISTERED, 1},
      {COND_KIND_BACKUP, 4},
      {COND_KIND_INSTALL, 2},
      // The bits of the low byte are tested in this order; the action is replaced whole.
      {COND_KIND_REGISTERED | COND_KIND_INSTALL, 1},
      {COND_KIND_BACKUP | COND_KIND_INSTALL, 4},
      {0x100 | COND_KIND_INSTALL, 2},
      // No known bit in the low byte: the action stays as it was.
      {0, 0x10002},
      {0x100, 0x10002},
      {0x08, 0x10002},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DefaultActionForKind(c.kind, 0x10002), c.expected) << "kind 0x" << std::hex << c.kind;
  }
}

TEST(UserInfoRules, MediaTypeNames) {
  const struct {
    std::uint32_t code;
    const char* name;
  } cases[] = {
      {0x63667368, "Compact Flash"},  {0x6D73746B, "Memory Stick"},   {0x6D6D6364, "Multimedia Card"},
      {0x706E7073, "Plug & Play Connector"}, {0x706F7365, "Palm OS Emulator"}, {0x72616D64, "RAM Disk"},
      {0x73646967, "Secure Digital"}, {0x736D6564, "SmartMedia"},     {0x77696C64, "Not Specified"},
      {0, "Not Specified"},           {0x53444947, "Not Specified"},  {0xFFFFFFFF, "Not Specified"},
  };
  for (const auto& c : cases) EXPECT_STREQ(MediaTypeName(c.code), c.name) << std::hex << c.code;
}

TEST(ProfDetailRules, DescriptionIsCutOnWholeCharacters) {
  const struct {
    const char* what;
    std::string text;
    std::size_t max;
    std::string expected;
  } cases[] = {
      {"short", "Work", 254, "Work"},
      {"exactly the limit", std::string(254, 'a'), 254, std::string(254, 'a')},
      {"300 characters", std::string(300, 'a'), 254, std::string(254, 'a')},
      {"nothing fits", "abc", 0, ""},
#ifndef _WIN32
      // UTF-8 on Linux: a character whose bytes do not all fit is left out with the rest.
      {"two-byte character across the limit", std::string(253, 'a') + "\xC3\xA9" + "z", 254, std::string(253, 'a')},
      {"two-byte character at the limit", std::string(252, 'a') + "\xC3\xA9" + "z", 254,
       std::string(252, 'a') + "\xC3\xA9"},
      {"four-byte character across the limit", std::string(252, 'a') + "\xF0\x9F\x98\x80", 254, std::string(252, 'a')},
      {"a stray byte is one character", std::string(253, 'a') + "\xC3" + "z", 254, std::string(253, 'a') + "\xC3"},
#endif
  };
  for (const auto& c : cases) EXPECT_EQ(LocalTextPrefix(c.text, c.max), c.expected) << c.what;
}

}  // namespace
