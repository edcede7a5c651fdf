// Scratch directories, the test executable's own directory and whole-file byte helpers shared by
// the tests. Header-only, on the standard library and the OS layer, so tests that need no Palm
// installation can use it without the fixture library.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "src/core/os/os.h"

namespace testfiles {

namespace fs = std::filesystem;

// The directory of the running test executable: the tool's own directory in the window tests,
// and where the test libraries are built.
inline fs::path ExeDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return {};
  return fs::path(buf).parent_path();
}

// A fresh empty directory with a random name (tests of several executables run at once),
// removed with its contents on destruction.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<unsigned> s_n{0};
    std::random_device rd;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
      char name[64];
      std::snprintf(name, sizeof name, "orvane-%08x-%u", static_cast<unsigned>(rd()), s_n++);
      std::error_code ec;
      if (fs::create_directory(base / name, ec) && !ec) m_path = base / name;
    }
    if (m_path.empty()) {
      std::fprintf(stderr, "tests: cannot create a temporary directory in %s\n", base.string().c_str());
      std::abort();
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return m_path; }
  std::string str() const { return m_path.string(); }
  std::string File(std::string_view name) const { return (m_path / name).string(); }
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

// Little-endian builders for hand-made files.
inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void PutText(Bytes& b, const std::string& s) {
  Put32(b, static_cast<std::uint32_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

}  // namespace testfiles
