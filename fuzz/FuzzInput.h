// Shared by the fuzz targets: a scratch directory of this process, where the readers that take
// a file path find the input written out, and small checks that end the run with a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzzinput {

namespace fs = std::filesystem;

// A directory of this process under the system's temporary directory ($TMPDIR), made on first
// use and removed at exit. One fixed path per process, so that a run costs one write per input.
inline const fs::path& ScratchDir() {
  static const fs::path dir = [] {
    std::random_device rd;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
      const fs::path p = base / ("orvane-fuzz-" + std::to_string(rd()) + std::to_string(rd()));
      std::error_code ec;
      if (fs::create_directory(p, ec)) return p;
      if (attempt > 100) {
        std::fprintf(stderr, "fuzz: cannot make a scratch directory under %s\n", base.string().c_str());
        std::abort();
      }
    }
  }();
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(ScratchDir(), ec);
    });
    return true;
  }();
  (void)cleanup;
  return dir;
}

// The path of a file in the scratch directory.
inline std::string ScratchFile(const char* name) { return (ScratchDir() / name).string(); }

// Writes bytes to path whole; aborts when that fails (a full disk is no finding of the reader).
inline void WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
    std::abort();
  }
}

inline std::string ReadFile(const std::string& path) {
  std::string out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
  std::fclose(f);
  return out;
}

// A broken property of a reader: reported like a crash, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "fuzz: check failed: %s (%s:%d)\n", what, file, line);
  std::abort();
}

// True when a text field of width bytes ends inside it.
inline bool Terminated(const char* field, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    if (field[i] == '\0') return true;
  }
  return false;
}

}  // namespace fuzzinput

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzzinput::Fail(#cond, __FILE__, __LINE__))
