// Windows only: registry values that the .reg file cannot hold, and the shell's own refusal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "OsTestUtil.h"
#include "RegistrySandbox.h"

#include <windows.h>
// <windows.h> maps these names to their A/W forms; the OS layer's are plain functions.
#undef LoadLibrary
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef ReplaceFile

namespace {

void SetRaw(const std::string& subkey, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  ::RegCloseKey(key);
}

// A string stored without its terminator is still read as a terminated string.
TEST(RegistryWin32, StringWithoutTerminator) {
  os_test::RegistrySandbox reg;
  SetRaw(reg.Root(), "Bare", REG_SZ, "abc", 3);
  os::RegKey key = os::RegOpenCurrentUserKey(reg.Root().c_str());
  ASSERT_NE(key, nullptr);

  char buf[8];
  std::memset(buf, '#', sizeof buf);
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(key, "Bare", buf, &size), os::RegResult::Ok);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(size, 4u);

  // Room for the characters but not for the terminator.
  std::memset(buf, '#', sizeof buf);
  size = 3;
  EXPECT_EQ(os::RegQueryString(key, "Bare", buf, &size), os::RegResult::MoreData);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(buf, "");
  os::RegCloseKey(key);
}

TEST(RegistryWin32, OtherTypesAreReadAsBytes) {
  os_test::RegistrySandbox reg;
  const DWORD number = 0x0102A0B0;
  SetRaw(reg.Root(), "Number", REG_DWORD, &number, sizeof number);
  os::RegKey key = os::RegOpenCurrentUserKey(reg.Root().c_str());
  ASSERT_NE(key, nullptr);
  char buf[8];
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(key, "Number", buf, &size), os::RegResult::Ok);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::string(buf, 4), std::string("\xB0\xA0\x02\x01", 4));
  os::RegCloseKey(key);
}

TEST(ShellOpenWin32, MissingTargetIsReported) {
  os_test::TempDir dir;
  EXPECT_FALSE(os::ShellOpen(dir.File("absent.exe").c_str()));
}

}  // namespace

namespace {

template <typename Fn>
Fn Kernel32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

// Loading a library that is not there shows no error box and leaves the thread's error mode as
// it was (SetThreadErrorMode is looked up at run time: XP has only SetErrorMode).
TEST(LibraryWin32, MissingLibraryKeepsTheErrorMode) {
  using GetModeFn = DWORD(WINAPI*)();
  using SetModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);
  const auto getMode = Kernel32<GetModeFn>("GetThreadErrorMode");
  const auto setMode = Kernel32<SetModeFn>("SetThreadErrorMode");
  if (getMode == nullptr || setMode == nullptr) GTEST_SKIP() << "no thread error mode on this Windows";
  DWORD before = 0;
  ASSERT_TRUE(setMode(SEM_NOGPFAULTERRORBOX, &before));
  EXPECT_EQ(os::LoadLibrary("orvane-no-such-library.dll"), nullptr);
  EXPECT_EQ(getMode(), static_cast<DWORD>(SEM_NOGPFAULTERRORBOX));
  setMode(before, nullptr);
}

#if defined(__i386__)
extern "C" ULONGLONG(WINAPI* orvane_tick_slot)() __asm__("__imp__GetTickCount64@0");

// The i686 programs define the GetTickCount64 import slot themselves (XP has no such function);
// whatever the thread library's timed waits call through it must be the same 64-bit count as
// GetTickCount's, not a 32-bit value with garbage above it.
TEST(ClockWin32, TickCount64SlotAgreesWithGetTickCount) {
  ASSERT_NE(orvane_tick_slot, nullptr);
  const DWORD before = ::GetTickCount();
  const ULONGLONG wide = orvane_tick_slot();
  const DWORD after = ::GetTickCount();
  EXPECT_LT(wide >> 32, 16u);  // under 2,000 years of uptime
  EXPECT_LE(static_cast<DWORD>(wide - before), after - before + 16);
  if (const auto real = Kernel32<ULONGLONG(WINAPI*)()>("GetTickCount64")) {
    const ULONGLONG direct = real();
    EXPECT_LE(wide, direct);
    EXPECT_LT(direct - wide, 1000u);
  }
}
#endif
