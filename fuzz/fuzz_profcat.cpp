// The profile catalogue reader ("ovprof.dat"): OVProfMgr::Load over any bytes.
//
// Checked for every input against a plain reading of the format (count, then per entry two
// strings of a signed 32-bit length and that many bytes): a file read whole replaces the
// catalogue with its entries, each description and path as stored up to its first zero byte;
// a damaged file (ends early, or a string longer than its buffer: 255 bytes for a description,
// 259 for a path) leaves the catalogue as it was. A catalogue loaded whole saves and loads back
// to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "src/core/OVProfile.h"

namespace {

struct Entry {
  std::string description, path;
};

std::uint32_t LE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// One stored string into what the catalogue keeps of it; false when the file is damaged there.
bool TakeString(const std::uint8_t* data, std::size_t size, std::size_t* pos, std::size_t bufSize, std::string* out) {
  if (size - *pos < 4) return false;
  const std::int32_t n = static_cast<std::int32_t>(LE32(data + *pos));
  *pos += 4;
  out->clear();
  if (n <= 0) return true;
  if (static_cast<std::size_t>(n) >= bufSize) return false;
  if (size - *pos < static_cast<std::size_t>(n)) return false;
  const char* text = reinterpret_cast<const char*>(data + *pos);
  out->assign(text, strnlen(text, static_cast<std::size_t>(n)));
  *pos += static_cast<std::size_t>(n);
  return true;
}

// The entries of a catalogue file, or false when it is damaged.
bool Model(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries) {
  if (size < 4) return false;
  const std::uint32_t count = LE32(data);
  std::size_t pos = 4;
  for (std::uint32_t i = 0; i < count; ++i) {
    Entry e;
    if (!TakeString(data, size, &pos, OVPROF_DESC_SIZE, &e.description)) return false;
    if (!TakeString(data, size, &pos, OVPROF_PATH_SIZE, &e.path)) return false;
    entries->push_back(std::move(e));
  }
  return true;
}

std::vector<Entry> Entries(OVProfMgr& mgr) {
  std::vector<Entry> out;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) {
    FUZZ_CHECK(fuzzinput::Terminated(p->GetDescription(), OVPROF_DESC_SIZE));
    FUZZ_CHECK(fuzzinput::Terminated(p->GetFileName(), OVPROF_PATH_SIZE));
    FUZZ_CHECK(p->GetCount() == 0);
    out.push_back({p->GetDescription(), p->GetFileName()});
  }
  return out;
}

bool Same(const std::vector<Entry>& a, const std::vector<Entry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].description != b[i].description || a[i].path != b[i].path) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string in = fuzzinput::ScratchFile("ovprof.dat");
  static const std::string out = fuzzinput::ScratchFile("ovprof.out");
  fuzzinput::WriteFile(in, data, size);

  std::vector<Entry> expected;
  const bool whole = Model(data, size, &expected);

  OVProfMgr mgr(in.c_str());
  // What the catalogue held before: it stays when the file is damaged.
  OVProfile* before = mgr.NewProfile();
  FUZZ_CHECK(before != nullptr);
  before->SetDescription("held before");
  before->SetFileName("before.dat");

  const bool loaded = mgr.Load();
  FUZZ_CHECK(loaded == whole);
  const std::vector<Entry> got = Entries(mgr);
  if (!loaded) {
    FUZZ_CHECK(got.size() == 1 && mgr.GetFirst() == before);
    FUZZ_CHECK(got[0].description == "held before" && got[0].path == "before.dat");
    return 0;
  }
  FUZZ_CHECK(Same(got, expected));

  OVProfMgr copy(out.c_str());
  for (const Entry& e : got) {
    OVProfile* p = copy.NewProfile();
    FUZZ_CHECK(p != nullptr);
    p->SetDescription(e.description.c_str());
    p->SetFileName(e.path.c_str());
  }
  FUZZ_CHECK(copy.Save());
  OVProfMgr reread(out.c_str());
  FUZZ_CHECK(reread.Load());
  FUZZ_CHECK(Same(Entries(reread), got));
  return 0;
}
