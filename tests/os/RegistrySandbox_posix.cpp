#include "RegistrySandbox.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "OsTestUtil.h"

namespace os_test {

struct RegistrySandbox::Impl {
  TempDir config;
  std::optional<std::string> oldXdg;
  // Keys in the order first written, each with its values in order.
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> keys;
};

namespace {
std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}
}  // namespace

RegistrySandbox::RegistrySandbox() : m_impl(std::make_unique<Impl>()) {
  static int s_n = 0;
  m_root = "Software\\OrvaneTest\\Sandbox" + std::to_string(++s_n);
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_impl->oldXdg = old;
  ::setenv("XDG_CONFIG_HOME", m_impl->config.str().c_str(), 1);
  fs::create_directories(m_impl->config.path() / "orvane");
}

RegistrySandbox::~RegistrySandbox() {
  if (m_impl->oldXdg) {
    ::setenv("XDG_CONFIG_HOME", m_impl->oldXdg->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

void RegistrySandbox::PutString(const std::string& subkey, const std::string& name,
                                const std::string& value) {
  auto& keys = m_impl->keys;
  auto key = keys.begin();
  while (key != keys.end() && key->first != subkey) ++key;
  if (key == keys.end()) key = keys.insert(keys.end(), {subkey, {}});
  key->second.emplace_back(name, value);

  std::string text = "Windows Registry Editor Version 5.00\r\n";
  for (const auto& [path, values] : keys) {
    text += "\r\n[HKEY_CURRENT_USER\\" + path + "]\r\n";
    for (const auto& [n, v] : values)
      text += (n.empty() ? std::string("@") : "\"" + Escape(n) + "\"") + "=\"" + Escape(v) + "\"\r\n";
  }
  WriteFile((m_impl->config.path() / "orvane" / "HKCU.reg").string(), text);
}

}  // namespace os_test
