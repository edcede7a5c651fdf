// The demo installation maker: its arguments, and installations that read back whole.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "palmdesk/DemoMaker.h"
#include "src/core/os/os.h"
#include "src/core/palm/PalmApi.h"
#include "tests/support/PalmFixture.h"

namespace {

namespace fs = std::filesystem;

bool Parse(std::vector<const char*> args, palmdesk::DemoOptions* o, std::string* error) {
  args.insert(args.begin(), "palmdesk-demo");
  bool help = false;
  return palmdesk::ParseDemoArgs(static_cast<int>(args.size()), args.data(), o, error, &help);
}

TEST(Demo, ArgumentsAreCheckedCalmly) {
  palmdesk::DemoOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--users", "2000", "--conduits=300", "out"}, &o, &error)) << error;
  EXPECT_EQ(o.users, 2000);
  EXPECT_EQ(o.conduits, 300);
  EXPECT_EQ(o.dir, "out");
  ASSERT_TRUE(Parse({"out"}, &o, &error));
  EXPECT_EQ(o.users, -1);

  const std::vector<std::vector<const char*>> bad = {
      {},
      {"--users", "10"},
      {"--users"},
      {"--users", "-1", "out"},
      {"--users", "12x", "out"},
      {"--users", "99999999999999", "out"},
      {"--conduits=", "out"},
      {"--conduits", "10001", "out"},
      {"--colour", "out"},
      {"a", "b"},
  };
  for (const auto& args : bad) {
    error.clear();
    EXPECT_FALSE(Parse(args, &o, &error)) << args.size();
    EXPECT_FALSE(error.empty());
  }
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The installation in dir reads back without a problem, and every module it names is there.
palmdesk::Description CheckInstallation(const fs::path& dir) {
  const palmdesk::Description d = palmdesk::ParseDescription(ReadAll(dir / palmdesk::kDescriptionFile));
  EXPECT_TRUE(d.problems.empty());
  for (const char* lib : {"condmgr.dll", "UserData.dll", "HSAPI.DLL", "instaide.dll"}) {
    EXPECT_TRUE(fs::exists(dir / lib)) << lib;
  }
  std::set<std::string> creators;
  for (const auto& c : d.conduits) {
    EXPECT_TRUE(fs::exists(dir / c.module)) << c.module;
    EXPECT_TRUE(creators.insert(c.creator).second) << c.creator;
    EXPECT_EQ(c.creator.size(), 4u);
  }
  for (const auto& c : d.installConduits) EXPECT_TRUE(fs::exists(dir / c.module)) << c.module;
  EXPECT_TRUE(d.hasBackup);
  EXPECT_TRUE(fs::exists(dir / d.backup));
  std::set<std::uint32_t> ids;
  for (const auto& u : d.users) EXPECT_TRUE(ids.insert(u.id).second) << u.id;
  return d;
}

TEST(Demo, RealisticInstallation) {
  fixture::TempDir tmp;
  palmdesk::DemoOptions o;
  o.dir = (tmp.path() / "core").string();
  std::string error;
  ASSERT_TRUE(palmdesk::MakeDemo(o, fixture::PalmdeskBuildDir().string(), &error)) << error;
  const palmdesk::Description d = CheckInstallation(o.dir);
  EXPECT_EQ(d.users.size(), 5u);
  int profiles = 0;
  std::set<std::uint32_t> media;
  for (const auto& u : d.users) {
    profiles += u.profile;
    for (const auto& s : u.expansionSlots) media.insert(s.mediaType);
  }
  EXPECT_EQ(profiles, 1);
  EXPECT_GE(media.size(), 4u);
  ASSERT_GE(d.conduits.size(), 4u);
  EXPECT_EQ(d.conduits[0].creator, "addr");
  EXPECT_EQ(d.conduits[0].title, "Address Book");
  EXPECT_EQ(d.installConduits.size(), 2u);
}

// The realistic installation's sync preferences, read back through its own UserData.dll: the
// defaults differ from user to user, and one-time actions are pending for some users only.
TEST(Demo, RealisticInstallationHasDifferingPreferences) {
  fixture::TempDir tmp;
  palmdesk::DemoOptions o;
  o.dir = (tmp.path() / "core").string();
  std::string error;
  ASSERT_TRUE(palmdesk::MakeDemo(o, fixture::PalmdeskBuildDir().string(), &error)) << error;
  const palmdesk::Description d = CheckInstallation(o.dir);

  os::Library lib = os::LoadLibrary((fs::path(o.dir) / "UserData.dll").string().c_str());
  ASSERT_NE(lib, nullptr);
  auto perm = reinterpret_cast<palm::PFN_UmGetUserPermSyncPreferences>(
      os::FindSymbol(lib, "UmGetUserPermSyncPreferences"));
  auto temp = reinterpret_cast<palm::PFN_UmGetUserTempSyncPreferences>(
      os::FindSymbol(lib, "UmGetUserTempSyncPreferences"));
  ASSERT_TRUE(perm && temp);
  auto idOf = [&](const std::string& name) {
    for (const auto& u : d.users) {
      if (u.name == name) return u.id;
    }
    ADD_FAILURE() << "no user " << name;
    return std::uint32_t{0};
  };

  constexpr int kNone = -1;  // no one-time action
  struct Case {
    const char* user;
    const char* creator;
    std::int32_t byDefault;
    std::int32_t oneTime;
  };
  const Case cases[] = {
      {"Alice Smith", "memo", palm::SYNC_PREF_DO_NOTHING, kNone},
      {"Alice Smith", "addr", palm::SYNC_PREF_SYNCHRONIZE, palm::SYNC_PREF_PC_TO_HH},
      {"Bob Jones", "memo", palm::SYNC_PREF_SYNCHRONIZE, kNone},
      {"Bob Jones", "addr", palm::SYNC_PREF_HH_TO_PC, kNone},
      {"Bob Jones", "date", palm::SYNC_PREF_SYNCHRONIZE, palm::SYNC_PREF_HH_TO_PC},
      {"Carol Nguyen", "date", palm::SYNC_PREF_PC_TO_HH, kNone},
      {"Carol Nguyen", "memo", palm::SYNC_PREF_SYNCHRONIZE, kNone},
      {"David Okafor", "QkSy", palm::SYNC_PREF_DO_NOTHING, kNone},
      {"David Okafor", "todo", palm::SYNC_PREF_SYNCHRONIZE, palm::SYNC_PREF_DO_NOTHING},
      {"Sales Team", "memo", palm::SYNC_PREF_PC_TO_HH, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " " + c.creator);
    const std::uint32_t id = idOf(c.user);
    const std::uint32_t creator = palmdesk::FourCC(c.creator);
    std::int32_t code = -99;
    ASSERT_EQ(perm(id, creator, &code), 0);
    EXPECT_EQ(code, c.byDefault);
    code = -99;
    if (c.oneTime == kNone) {
      EXPECT_EQ(temp(id, creator, &code), palm::USERDATA_ERR_NOT_FOUND);
    } else {
      ASSERT_EQ(temp(id, creator, &code), 0);
      EXPECT_EQ(code, c.oneTime);
    }
  }

  // Every user has a default for every conduit (registered, install, and the backup under its
  // creator ID 0xFFFFFFFF), and no two users have the same set.
  std::vector<std::uint32_t> creators;
  for (const auto& c : d.conduits) creators.push_back(palmdesk::FourCC(c.creator));
  for (const auto& c : d.installConduits) creators.push_back(palmdesk::FourCC(c.creator));
  creators.push_back(0xFFFFFFFFu);
  std::set<std::vector<std::int32_t>> defaults;
  int oneTimeUsers = 0;
  for (const auto& u : d.users) {
    std::vector<std::int32_t> codes;
    bool oneTime = false;
    for (const std::uint32_t creator : creators) {
      std::int32_t code = -99;
      EXPECT_EQ(perm(u.id, creator, &code), 0) << u.name << " " << palmdesk::FourCCText(creator);
      codes.push_back(code);
      oneTime = oneTime || temp(u.id, creator, &code) == 0;
    }
    defaults.insert(codes);
    oneTimeUsers += oneTime;
  }
  EXPECT_EQ(defaults.size(), d.users.size());
  EXPECT_EQ(oneTimeUsers, 3);
  os::FreeLibrary(lib);
}

// A sized installation starts from users who never synced: no journal at all, even where an
// earlier demo left one.
TEST(Demo, SizedInstallationHasNoPreferences) {
  fixture::TempDir tmp;
  palmdesk::DemoOptions o;
  o.dir = tmp.str();
  std::string error;
  ASSERT_TRUE(palmdesk::MakeDemo(o, fixture::PalmdeskBuildDir().string(), &error)) << error;
  ASSERT_TRUE(fs::exists(tmp.path() / palmdesk::kJournalFile));
  for (const auto& sizes : {std::pair{3, -1}, std::pair{-1, 20}}) {
    o.users = sizes.first;
    o.conduits = sizes.second;
    ASSERT_TRUE(palmdesk::MakeDemo(o, fixture::PalmdeskBuildDir().string(), &error)) << error;
    EXPECT_FALSE(fs::exists(tmp.path() / palmdesk::kJournalFile)) << sizes.first << " " << sizes.second;
  }
}

TEST(Demo, LargeInstallation) {
  fixture::TempDir tmp;
  palmdesk::DemoOptions o;
  o.dir = tmp.str();
  o.users = 2000;
  o.conduits = 300;
  std::string error;
  ASSERT_TRUE(palmdesk::MakeDemo(o, fixture::PalmdeskBuildDir().string(), &error)) << error;
  const palmdesk::Description d = CheckInstallation(o.dir);
  EXPECT_EQ(d.users.size(), 2000u);
  EXPECT_EQ(d.conduits.size(), 300u);
}

TEST(Demo, MissingSourcesAreReported) {
  fixture::TempDir tmp;
  palmdesk::DemoOptions o;
  o.dir = tmp.str();
  std::string error;
  EXPECT_FALSE(palmdesk::MakeDemo(o, (tmp.path() / "nowhere").string(), &error));
  EXPECT_NE(error.find("condmgr.dll"), std::string::npos);
}

}  // namespace
