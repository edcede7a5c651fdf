// Helpers shared by the OS layer tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

#include "common/os/os.h"

namespace os_test {

namespace fs = std::filesystem;

// A fresh empty directory, removed with its contents on destruction.
class TempDir {
 public:
  TempDir() {
    static std::atomic<unsigned> s_n{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path() /
             ("ov-os-" + std::to_string(stamp) + "-" + std::to_string(s_n++));
    fs::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return m_path; }
  std::string str() const { return m_path.string(); }
  std::string File(std::string_view name) const { return (m_path / name).string(); }

 private:
  fs::path m_path;
};

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The directory of the test executable, where the helper library and program are built.
inline fs::path ExeDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return {};
  return fs::path(buf).parent_path();
}

// Waits up to `seconds` for a file to appear with non-empty contents.
inline bool WaitForFile(const std::string& path, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (!ReadFile(path).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Makes a directory the current one for the life of the object.
class CurrentDir {
 public:
  explicit CurrentDir(const fs::path& dir) : m_old(fs::current_path()) { fs::current_path(dir); }
  ~CurrentDir() {
    std::error_code ec;
    fs::current_path(m_old, ec);
  }
  CurrentDir(const CurrentDir&) = delete;
  CurrentDir& operator=(const CurrentDir&) = delete;

 private:
  fs::path m_old;
};

}  // namespace os_test
