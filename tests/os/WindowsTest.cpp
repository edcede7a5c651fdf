// Windows only: registry values that the .reg file cannot hold, and the shell's own refusal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "OsTestUtil.h"
#include "RegistrySandbox.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <filesystem>
// <windows.h> maps these names to their A/W forms; the OS layer's are plain functions.
#undef LoadLibrary
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef ReplaceFile
#undef CopyFile

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
  // A file that is there but is no program: the shell's refusal is the answer.
  os_test::WriteFile(dir.File("broken.exe"), "not a program");
  EXPECT_FALSE(os::ShellOpen(dir.File("broken.exe").c_str()));
}

// A library loaded by its full path finds the libraries it imports in its own directory, whatever
// the current directory is (Palm's libraries and conduit modules bring their own).
TEST(LibraryWin32, DependenciesAreFoundBesideTheLibrary) {
  os_test::TempDir dir;
  namespace fs = std::filesystem;
  fs::create_directories(dir.path() / "palm");
  fs::create_directories(dir.path() / "elsewhere");
  fs::copy_file(OS_TESTUSE_PATH, dir.path() / "palm" / "ostestuse.dll");
  fs::copy_file(OS_TESTDEP_PATH, dir.path() / "palm" / "ostestdep.dll");
  os_test::CurrentDir cd(dir.path() / "elsewhere");
  const std::string path = (dir.path() / "palm" / "ostestuse.dll").string();
  os::LoadError error;
  os::Library lib = os::LoadLibrary(path.c_str(), &error);
  ASSERT_NE(lib, nullptr) << error.code << " " << error.text;
  using AnswerFn = int (*)();
  auto answer = reinterpret_cast<AnswerFn>(os::FindSymbol(lib, "OsTestUseAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  os::FreeLibrary(lib);

  // Without its dependency it is refused, and not as a missing file.
  fs::remove(dir.path() / "palm" / "ostestdep.dll");
  EXPECT_EQ(os::LoadLibrary(path.c_str(), &error), nullptr);
  EXPECT_EQ(error.kind, os::LoadFailure::Other) << error.text;
}

// The shell's folder for application data, pointed at a folder of the test's for the life of
// the object (the user's shell folder setting under HKEY_CURRENT_USER, put back afterwards).
class AppDataFolder {
 public:
  explicit AppDataFolder(const std::wstring& folder) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr);
    DWORD type = 0, size = sizeof m_old;
    m_bHadOld = ::RegQueryValueExW(m_key, L"AppData", nullptr, &type, reinterpret_cast<BYTE*>(m_old), &size) == ERROR_SUCCESS;
    m_oldType = type;
    m_oldSize = size;
    Set(REG_EXPAND_SZ, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  }
  ~AppDataFolder() {
    if (m_bHadOld) {
      Set(m_oldType, m_old, m_oldSize);
    } else {
      ::RegDeleteValueW(m_key, L"AppData");
    }
    ::RegCloseKey(m_key);
  }
  AppDataFolder(const AppDataFolder&) = delete;
  AppDataFolder& operator=(const AppDataFolder&) = delete;

 private:
  static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  void Set(DWORD type, const void* data, DWORD size) {
    ::RegSetValueExW(m_key, L"AppData", 0, type, static_cast<const BYTE*>(data), size);
  }
  HKEY m_key = nullptr;
  bool m_bHadOld = false;
  DWORD m_oldType = 0, m_oldSize = 0;
  wchar_t m_old[1024] = {};
};

std::wstring WideTempDir(const os_test::TempDir& dir) { return dir.path().wstring(); }

// The user's data directory under a folder whose name the ANSI code page holds and under one it
// cannot hold (Cyrillic on a Western code page): either way a data file written through the
// directory's ANSI path lands in the real folder and reads back.
TEST(UserDataDirectoryWin32, FoldersOutsideTheCodePageStillTakeTheDataFiles) {
  const std::wstring names[] = {L"J\u00fcrgen", L"\u042e\u0440\u0438\u0439 J\u00fcrgen"};
  for (const std::wstring& name : names) {
    os_test::TempDir dir;
    const std::wstring appData = WideTempDir(dir) + L"\\" + name;
    ASSERT_TRUE(::CreateDirectoryW(appData.c_str(), nullptr));
    AppDataFolder folder(appData);
    char buf[MAX_PATH];
    ASSERT_TRUE(os::GetUserDataDirectory(buf, sizeof buf)) << os::UserDataDirectoryProblem();
    ASSERT_TRUE(os::MakeDirectories(buf)) << buf;
    const std::string file = std::string(buf) + "\\ovcurr.dat";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << file;
    std::fputs("current settings", out);
    std::fclose(out);
    EXPECT_EQ(os_test::ReadFile(file), "current settings");
    // The file is in the folder the shell names, under its real name.
    const std::wstring real = appData + L"\\Orvane\\ovcurr.dat";
    EXPECT_NE(::GetFileAttributesW(real.c_str()), INVALID_FILE_ATTRIBUTES) << file;
  }
}

// The copy that file virtualization keeps of a directory: found under the local application data
// folder, without the drive, when it exists.
TEST(VirtualStoreWin32, TheCopyOfADirectoryIsFoundWhenItExists) {
  char local[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local), S_OK);
  const std::string store = std::string(local) + "\\VirtualStore\\Orvane Test Install";
  char buf[MAX_PATH];
  EXPECT_FALSE(os::GetVirtualStoreDirectory("C:\\Orvane Test Install", buf, sizeof buf));
  EXPECT_STREQ(buf, "");
  ASSERT_TRUE(os::MakeDirectories(store.c_str()));
  ASSERT_TRUE(os::GetVirtualStoreDirectory("C:\\Orvane Test Install\\", buf, sizeof buf));
  EXPECT_EQ(std::string(buf), store + "\\");
  EXPECT_FALSE(os::GetVirtualStoreDirectory("\\\\server\\share\\Orvane", buf, sizeof buf));
  ::RemoveDirectoryA(store.c_str());
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
