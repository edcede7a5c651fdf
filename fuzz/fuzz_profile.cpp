// The profile file reader ("ovcurr.dat", "ovprofN.dat"): OVProfile::Load over any bytes.
//
// Checked for every input: the records read are exactly the whole (creator ID, action) pairs
// that the file holds, up to the count it states; Load is true only when the file holds its
// count and all the records it announces; a profile loaded whole saves back to exactly the
// bytes it came from (less anything after its last record).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzInput.h"
#include "src/core/OVProfile.h"

namespace {

std::uint32_t LE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string in = fuzzinput::ScratchFile("ovcurr.dat");
  static const std::string out = fuzzinput::ScratchFile("ovcurr.out");
  fuzzinput::WriteFile(in, data, size);

  OVProfile profile;
  // Records held before a load never survive it.
  const ProfileRec stale{0x12345678, 0x10001};
  profile.AddRec(&stale);
  profile.SetFileName(in.c_str());
  const bool loaded = profile.Load();

  const std::uint64_t count = size >= 4 ? LE32(data) : 0;
  const std::uint64_t present = size >= 4 ? (size - 4) / 8 : 0;
  const bool whole = size >= 4 && count <= present;
  FUZZ_CHECK(loaded == whole);
  const std::uint64_t kept = count < present ? count : present;
  FUZZ_CHECK(profile.GetCount() == kept);

  // Each record as stored, in file order; FindRec gives the first of a creator ID.
  for (std::uint64_t i = 0; i < kept; ++i) {
    const std::uint32_t id = LE32(data + 4 + 8 * i);
    ProfileRec* rec = profile.FindRec(id);
    FUZZ_CHECK(rec != nullptr);
    if (rec->dwAction != LE32(data + 8 + 8 * i)) {
      // An earlier record with the same creator ID wins.
      bool earlier = false;
      for (std::uint64_t j = 0; j < i && !earlier; ++j) earlier = LE32(data + 4 + 8 * j) == id;
      FUZZ_CHECK(earlier);
    }
  }

  if (loaded) {
    profile.SetFileName(out.c_str());
    FUZZ_CHECK(profile.Save());
    const std::string saved = fuzzinput::ReadFile(out);
    FUZZ_CHECK(saved.size() == 4 + 8 * count);
    FUZZ_CHECK(std::memcmp(saved.data(), data, saved.size()) == 0);
  }
  return 0;
}
