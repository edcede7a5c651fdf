// A key of its own under HKEY_CURRENT_USER for each registry test, and a way to store string
// values there: the .reg file under a temporary XDG_CONFIG_HOME on POSIX, the real registry
// (RegSetValueExA) on Windows.
#pragma once

#include <memory>
#include <string>

namespace os_test {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // "Software\\OrvaneTest\\<unique>": every key the test writes lies below it.
  const std::string& Root() const { return m_root; }
  // Stores name = value (a string value; "" names the key's default value) under the key
  // subkey of HKEY_CURRENT_USER, creating the key.
  void PutString(const std::string& subkey, const std::string& name, const std::string& value);

 private:
  struct Impl;
  std::string m_root;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace os_test
