// The per-user registry reader on POSIX (HKCU.reg): os::RegOpenCurrentUserKey and
// os::RegQueryString over any file contents, and the core-directory look-up GetPalmCorePath
// that reads "DesktopPath" through them.
//
// Checked for every input: a query never writes past what it was offered and reports the size
// the value needs; "more data" leaves an empty text; GetPalmCorePath hands on a terminated
// path inside its 260 bytes and gives the same answer whatever the buffer held before (a
// value without a terminator must not pick up bytes the file never held).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"
#include "fuzz/FuzzInput.h"
#include "src/core/OVUtil.h"

namespace {

constexpr const char* kCoreKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

std::string RegistryFile() {
  static const std::string file = [] {
    // The reader finds the file under $XDG_CONFIG_HOME/orvane.
    const std::filesystem::path config = fuzzinput::ScratchDir();
    std::filesystem::create_directories(config / "orvane");
    setenv("XDG_CONFIG_HOME", config.string().c_str(), 1);
    // kestrow.ini beside this program would answer before the registry is asked.
    char dir[PALM_MAX_PATH];
    if (GetModuleDirectory(nullptr, dir, sizeof dir) && os::FileExists((std::string(dir) + "kestrow.ini").c_str())) {
      std::fprintf(stderr, "fuzz_reg: remove %skestrow.ini first\n", dir);
      std::abort();
    }
    return (config / "orvane" / "HKCU.reg").string();
  }();
  return file;
}

// One value through a buffer of cap bytes with a guard after it.
void Query(os::RegKey key, const char* name, std::uint32_t cap) {
  std::uint32_t needed = 0;
  const os::RegResult sizeOnly = os::RegQueryString(key, name, nullptr, &needed);
  FUZZ_CHECK(sizeOnly != os::RegResult::MoreData);

  char buf[PALM_MAX_PATH + 16];
  std::memset(buf, 0xA5, sizeof buf);
  std::uint32_t size = cap;
  const os::RegResult r = os::RegQueryString(key, name, buf, &size);
  for (std::size_t i = cap; i < sizeof buf; ++i) FUZZ_CHECK(static_cast<unsigned char>(buf[i]) == 0xA5);
  FUZZ_CHECK((r == os::RegResult::Failed) == (sizeOnly == os::RegResult::Failed));
  if (r == os::RegResult::Failed) return;
  FUZZ_CHECK(size == needed);
  if (r == os::RegResult::Ok) FUZZ_CHECK(size <= cap);
  if (r == os::RegResult::MoreData) {
    FUZZ_CHECK(size > cap);
    FUZZ_CHECK(cap == 0 || buf[0] == '\0');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = RegistryFile();
  fuzzinput::WriteFile(file, data, size);

  for (const char* subkey : {kCoreKey, "", "Software", "software\\u.s. robotics\\pilot desktop\\core"}) {
    os::RegKey key = os::RegOpenCurrentUserKey(subkey);
    if (!key) continue;
    for (const char* name : {"DesktopPath", "desktoppath", "", "Path"}) {
      for (std::uint32_t cap : {0u, 1u, 8u, PALM_MAX_PATH}) Query(key, name, cap);
    }
    os::RegCloseKey(key);
  }

  // The tool's own look-up, over buffers holding different bytes before: zeros, and no zero.
  char first[PALM_MAX_PATH];
  std::memset(first, 0, sizeof first);
  const std::int32_t result = GetPalmCorePath(first, sizeof first);
  FUZZ_CHECK(result == PALMPATH_OK || result == PALMPATH_NOT_FOUND || result == PALMPATH_TOO_LONG);
  if (result != PALMPATH_OK) FUZZ_CHECK(first[0] == '\0');
  for (unsigned char fill : {0xA5, 0x5A}) {
    char buf[PALM_MAX_PATH];
    std::memset(buf, fill, sizeof buf);
    FUZZ_CHECK(GetPalmCorePath(buf, sizeof buf) == result);
    FUZZ_CHECK(fuzzinput::Terminated(buf, sizeof buf));
    FUZZ_CHECK(std::strcmp(buf, first) == 0);
  }
  return 0;
}
