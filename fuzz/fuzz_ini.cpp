// The INI reader (kestrow.ini): os::ReadIniString over any file contents, asked for the key the
// tool reads ("PDPath" of "Path") and a few spellings and capacities of it.
//
// Checked for every input: the result is a terminated text of the length returned, inside the
// capacity, never touching a byte past it; section and key match without regard to letter case
// or surrounding blanks; a smaller capacity gives a prefix of what a larger one gives.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "src/core/os/os.h"
#include "fuzz/FuzzInput.h"

namespace {

constexpr std::size_t kCap = 260;  // the tool's path buffer

// Reads into a buffer with a guard area after the capacity; checks the guard and the result.
std::string Read(const std::string& file, const char* section, const char* key, const char* def, std::size_t cap) {
  char buf[kCap + 16];
  std::memset(buf, 0xA5, sizeof buf);
  const std::size_t n = os::ReadIniString(file.c_str(), section, key, def, buf, cap);
  for (std::size_t i = cap; i < sizeof buf; ++i) FUZZ_CHECK(static_cast<unsigned char>(buf[i]) == 0xA5);
  if (cap == 0) {
    FUZZ_CHECK(n == 0);
    return {};
  }
  FUZZ_CHECK(n < cap);
  FUZZ_CHECK(buf[n] == '\0');
  return std::string(buf, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string ini = fuzzinput::ScratchFile("kestrow.ini");
  fuzzinput::WriteFile(ini, data, size);

  const std::string value = Read(ini, "Path", "PDPath", "", kCap);
  FUZZ_CHECK(value.find('\0') == std::string::npos);
  FUZZ_CHECK(Read(ini, "PATH", "pdpath", "", kCap) == value);
  FUZZ_CHECK(Read(ini, " Path\t", " PDPath ", "", kCap) == value);
  for (std::size_t cap : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(7)}) {
    FUZZ_CHECK(Read(ini, "Path", "PDPath", "", cap) == value.substr(0, cap ? cap - 1 : 0));
  }
  // A default shows through only where the key gives no value.
  const std::string withDefault = Read(ini, "Path", "PDPath", "\"dflt\"  ", kCap);
  FUZZ_CHECK(withDefault == value || (value.empty() && withDefault == "dflt"));
  // Other names the file may hold, and absent section or key.
  Read(ini, "", "", nullptr, kCap);
  Read(ini, nullptr, "PDPath", "d", kCap);
  Read(ini, "Path", nullptr, "d", kCap);
  return 0;
}
