// Small helpers shared by the foundation tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace foundation_test {

namespace fs = std::filesystem;

// A fresh empty directory, removed with its contents on destruction.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<unsigned> s_n{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path() /
             ("ov-found-" + std::to_string(stamp) + "-" + std::to_string(s_n++));
    fs::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return m_path; }
  std::string File(const char* name) const { return (m_path / name).string(); }
  // The names of everything in the directory, sorted.
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path m_path;
};

using Bytes = std::vector<unsigned char>;

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Regular expressions for death-test output: GoogleTest's own simple syntax on Windows has no
// bracket expressions, POSIX extended syntax has no \d.
#ifdef GTEST_USES_SIMPLE_RE
#define FT_RE_NUMBER "\\d+"
#else
#define FT_RE_NUMBER "[0-9]+"
#endif
// The end of a line in captured standard error (the Windows runtime writes \r\n).
#define FT_RE_EOL "\r?\n"

}  // namespace foundation_test
