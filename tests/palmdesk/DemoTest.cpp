// The demo installation maker: its arguments, and installations that read back whole.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "palmdesk/DemoMaker.h"
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
