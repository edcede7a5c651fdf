#include "RegistrySandbox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace os_test {
namespace {

// Deletes a key with everything under it (RegDeleteTreeA is Vista's; the i686 build keeps to XP).
void DeleteTree(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  char name[256];
  DWORD size = sizeof name;
  // Always the first subkey: each is gone before the next look.
  while (::RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    const std::string child = path + "\\" + name;
    DeleteTree(parent, child);
    if (::RegDeleteKeyA(parent, child.c_str()) != ERROR_SUCCESS) break;
    size = sizeof name;
  }
  ::RegCloseKey(key);
}

}  // namespace

struct RegistrySandbox::Impl {};

RegistrySandbox::RegistrySandbox() : m_impl(std::make_unique<Impl>()) {
  static std::atomic<unsigned> s_n{0};
  m_root = "Software\\OrvaneTest\\Sandbox" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++s_n);
}

RegistrySandbox::~RegistrySandbox() {
  DeleteTree(HKEY_CURRENT_USER, m_root);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, m_root.c_str());
}

void RegistrySandbox::PutString(const std::string& subkey, const std::string& name,
                                const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
}

}  // namespace os_test
