// What the benchmark programs share: timing a call, summing up rounds, and keeping the data files
// beside the program as they were.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "src/core/palm/PalmLib.h"

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

// Empties the stand-in's journal and reads one preference (of a user and a conduit that exist),
// so that the user data library drops what it had folded of the old journal and the next reads
// fold the new lines, whoever makes them. Without the read, a journal emptied and written again
// to the same size looks unchanged: the later reader gets the earlier reader's fold for free,
// and a plain loop measured first pays for a fold the tool it measures never makes.
inline void EmptyJournal(const std::filesystem::path& journal, std::uint32_t userId, std::uint32_t creatorId) {
  std::error_code ec;
  std::filesystem::resize_file(journal, 0, ec);
  std::int32_t code = 0;
  palm::UmGetUserTempSyncPreferences(userId, creatorId, &code);
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
