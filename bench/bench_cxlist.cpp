// Walks a CxList of 1,000,000 items front to back with GetFirst / GetNext and reports the time
// per step. Run by hand on a release build: bench_cxlist [items]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "src/core/misc/CxList.h"

int main(int argc, char** argv) {
  const std::uint32_t nItems = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
  std::vector<std::uint32_t> items(nItems);
  CxList list;
  const auto t0 = std::chrono::steady_clock::now();
  for (std::uint32_t i = 0; i < nItems; ++i) {
    items[i] = i;
    list.Add(&items[i]);
  }
  const auto t1 = std::chrono::steady_clock::now();

  double best = 1e300;
  std::uint64_t sum = 0;
  for (int round = 0; round < 10; ++round) {
    const auto a = std::chrono::steady_clock::now();
    for (void* p = list.GetFirst(); p; p = list.GetNext()) sum += *static_cast<std::uint32_t*>(p);
    const auto b = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::nano>(b - a).count());
  }
  const double addNs = std::chrono::duration<double, std::nano>(t1 - t0).count() / nItems;
  std::printf("CxList: %u items, Add %.1f ns per item, walk %.2f ns per step (best of 10 walks; checksum %llu)\n",
              nItems, addNs, best / nItems, static_cast<unsigned long long>(sum));
  return 0;
}
