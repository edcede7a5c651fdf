// The fixture shared by the binding and roster tests: no kestrow.ini and no registry value at
// the start, messages recorded instead of shown, and everything the test bound, built or moved
// into put back afterwards (libraries released, roster freed, current directory restored).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "src/core/misc/Message.h"
#include "src/core/os/os.h"
#include "src/core/OVUtil.h"
#include "tests/support/PalmFixture.h"

namespace palmtest {

struct ShownMessage {
  std::string text;
  std::string caption;
  ov::MessageIcon icon;
};

class PalmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_cwd, sizeof m_cwd));
    fixture::ClearRegistryCorePath();
    fixture::RemoveKestrowIni();
    Messages().clear();
    m_prevHook = ov::SetMessageHook(&Record);
  }

  void TearDown() override {
    PalmLibExit();
    os::SetCurrentDirectory(m_cwd);
    ov::SetMessageHook(m_prevHook);
    fixture::RemoveKestrowIni();
    fixture::ClearRegistryCorePath();
  }

  // A new installation with the libraries of bits libs. It outlives TearDown, so its files are
  // removed only after the libraries are released and the current directory has left it.
  fixture::Installation& Install(unsigned libs = PLIB_ALL) {
    m_installs.push_back(std::make_unique<fixture::Installation>(libs));
    return *m_installs.back();
  }

  // The messages shown since SetUp.
  static std::vector<ShownMessage>& Messages() {
    static std::vector<ShownMessage> shown;
    return shown;
  }

  static std::string CurrentDirectory() {
    char buf[4096];
    return os::GetCurrentDirectory(buf, sizeof buf) ? buf : "";
  }

  const char* StartDirectory() const { return m_cwd; }

 private:
  static int Record(const char* text, const char* caption, ov::MessageIcon icon) {
    Messages().push_back({text, caption, icon});
    return 1;
  }

  char m_cwd[4096] = {};
  ov::MessageHook m_prevHook = nullptr;
  std::vector<std::unique_ptr<fixture::Installation>> m_installs;
};

// The library bits that are loaded now.
inline unsigned LoadedBits() {
  unsigned bits = 0;
  for (unsigned bit : {PLIB_CONDMGR, PLIB_USERDATA, PLIB_HSAPI, PLIB_INSTAIDE}) {
    if (PalmLibLoaded(bit)) bits |= bit;
  }
  return bits;
}

// A user of a test installation.
inline fixture::User MakeUser(std::uint32_t id, const std::string& name, const std::string& directory) {
  fixture::User u;
  u.id = id;
  u.name = name;
  u.directory = directory;
  return u;
}

inline bool SameDirectory(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace palmtest
