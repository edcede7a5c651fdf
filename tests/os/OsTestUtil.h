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

#include "src/core/os/os.h"
#include "tests/support/TestFiles.h"

namespace os_test {

namespace fs = std::filesystem;

using TempDir = testfiles::ScratchDir;

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using testfiles::ExeDir;

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
