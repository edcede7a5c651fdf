// What the benchmark programs share: timing a call, summing up rounds, and keeping the data files
// beside the program as they were.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace bench {

// How long fn took, in seconds.
inline double Seconds(const std::function<void()>& fn) {
  const auto a = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

struct Timing {
  double best = 0, median = 0;
};

// The best and the median of some rounds (at least one).
inline Timing Summarise(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  return {t.front(), t[t.size() / 2]};
}

// Keeps a file's bytes (or its absence) and puts them back on destruction.
class KeptFile {
 public:
  explicit KeptFile(std::filesystem::path path) : m_path(std::move(path)) {
    std::ifstream in(m_path, std::ios::binary);
    if (in) m_bytes = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ~KeptFile() {
    std::error_code ec;
    if (m_bytes) {
      std::ofstream(m_path, std::ios::binary | std::ios::trunc)
          .write(m_bytes->data(), static_cast<std::streamsize>(m_bytes->size()));
    } else {
      std::filesystem::remove(m_path, ec);
    }
  }
  KeptFile(const KeptFile&) = delete;
  KeptFile& operator=(const KeptFile&) = delete;

 private:
  std::filesystem::path m_path;
  std::optional<std::string> m_bytes;
};

}  // namespace bench
