// Writes 100,000 numbers through CxFile (committed by Close) and reads them back; reports MB/s
// for each direction, best of several rounds. Run by hand on a release build:
// bench_cxfile [numbers]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "src/core/misc/CxFile.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const std::uint32_t nNumbers = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
  const fs::path dir = fs::temp_directory_path() / ("ov-bench-cxfile-" + std::to_string(std::rand()));
  fs::create_directories(dir);
  const std::string path = (dir / "numbers.dat").string();

  double bestWrite = 1e300, bestRead = 1e300;
  std::uint64_t sum = 0;
  bool ok = true;
  for (int round = 0; round < 20; ++round) {
    const auto a = std::chrono::steady_clock::now();
    {
      CxFile f;
      ok = f.Open(path.c_str(), "wb") && ok;
      for (std::uint32_t i = 0; i < nNumbers; ++i) ok = f.WriteDword(i * 2654435761u) && ok;
      ok = f.Close() && ok;
    }
    const auto b = std::chrono::steady_clock::now();
    {
      CxFile f;
      ok = f.Open(path.c_str(), "rb") && ok;
      std::uint32_t v = 0;
      for (std::uint32_t i = 0; i < nNumbers; ++i) {
        ok = f.ReadDword(&v) && ok;
        sum += v;
      }
      f.Close();
    }
    const auto c = std::chrono::steady_clock::now();
    bestWrite = std::min(bestWrite, std::chrono::duration<double>(b - a).count());
    bestRead = std::min(bestRead, std::chrono::duration<double>(c - b).count());
  }
  std::error_code ec;
  fs::remove_all(dir, ec);

  const double mb = 4.0 * nNumbers / 1e6;
  std::printf("CxFile: %u numbers (%.1f MB), write+commit %.1f MB/s (%.1f ns per number), read %.1f MB/s "
              "(%.1f ns per number), best of 20%s (checksum %llu)\n",
              nNumbers, mb, mb / bestWrite, bestWrite * 1e9 / nNumbers, mb / bestRead, bestRead * 1e9 / nNumbers,
              ok ? "" : ", SOME CALLS FAILED", static_cast<unsigned long long>(sum));
  return ok ? 0 : 1;
}
