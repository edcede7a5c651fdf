#include "RegistrySandbox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace os_test {

struct RegistrySandbox::Impl {};

RegistrySandbox::RegistrySandbox() : m_impl(std::make_unique<Impl>()) {
  static std::atomic<unsigned> s_n{0};
  m_root = "Software\\OrvaneTest\\Sandbox" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++s_n);
}

RegistrySandbox::~RegistrySandbox() { ::RegDeleteTreeA(HKEY_CURRENT_USER, m_root.c_str()); }

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
