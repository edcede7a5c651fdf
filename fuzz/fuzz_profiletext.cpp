// The profile text reader and writer (ParseProfileText, FormatProfileText) and the reader of
// profile files given by name (ReadProfileFile) over any bytes.
//
// Checked for every input:
//   - read as text: whatever the reader accepts, the writer writes (with titles and a
//     description taken from the input) as text that reads back to the same records; the writer
//     may refuse only a text over kProfileTextMaxBytes, and without titles it writes any accepted
//     text of up to 64 KiB;
//   - read as records (8 bytes each): records -> text -> records gives the records with each
//     creator ID once, its first action, and the writer counts the records it left out;
//   - as a file: ReadProfileFile gives what OVProfile::Load gives for a saved profile (the first
//     four bytes hold a zero byte) and what ParseProfileText gives for anything else.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "src/core/OVProfile.h"
#include "src/core/ProfileText.h"

namespace {

bool Same(const std::vector<ProfileRec>& a, const std::vector<ProfileRec>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].dwCreatorID != b[i].dwCreatorID || a[i].dwAction != b[i].dwAction) return false;
  }
  return true;
}

std::uint32_t LE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Records -> text -> records: the records come back with each creator ID once.
void RoundTrip(const std::vector<ProfileRec>& recs, const std::string& description,
               const std::function<std::string(std::uint32_t)>& title) {
  std::vector<ProfileRec> unique;
  std::map<std::uint32_t, bool> seen;
  for (const ProfileRec& r : recs) {
    if (seen.emplace(r.dwCreatorID, true).second) unique.push_back(r);
  }
  std::string text, why;
  std::size_t nLeftOut = 0;
  if (!FormatProfileText(recs, description, title, &text, &nLeftOut, &why)) {
    FUZZ_CHECK(text.empty());
    FUZZ_CHECK(!why.empty());
    // Only size refuses: the same records without titles are written (few enough here).
    FUZZ_CHECK(unique.size() <= 10000);
    FUZZ_CHECK(FormatProfileText(recs, description, nullptr, &text, &nLeftOut, &why));
  }
  FUZZ_CHECK(nLeftOut == recs.size() - unique.size());
  FUZZ_CHECK(text.size() <= kProfileTextMaxBytes);
  const ProfileReadResult back = ParseProfileText(text);
  FUZZ_CHECK(back.bOk);
  FUZZ_CHECK(Same(back.recs, unique));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Titles and a description with any bytes of the input: control bytes, '#', CR, LF, zero.
  const auto title = [&bytes](std::uint32_t id) -> std::string {
    if (bytes.empty() || (id & 3) == 0) return {};
    return bytes.substr(id % bytes.size(), (id >> 8) % 1500);
  };
  const std::string description = bytes.substr(0, 300);

  // Text -> records -> text -> records.
  const ProfileReadResult read = ParseProfileText(bytes);
  if (read.bOk) {
    FUZZ_CHECK(read.recs.size() <= kProfileTextMaxEntries);
    RoundTrip(read.recs, description, title);
    RoundTrip(read.recs, "", nullptr);
  } else {
    FUZZ_CHECK(!read.error.empty());
  }

  // Records -> text -> records.
  std::vector<ProfileRec> recs;
  for (std::size_t at = 0; at + 8 <= size; at += 8) recs.push_back({LE32(data + at), LE32(data + at + 4)});
  RoundTrip(recs, description, title);

  // One reader for files: a saved profile as the main window reads it, anything else as text.
  static const std::string path = fuzzinput::ScratchFile("profile.txt");
  fuzzinput::WriteFile(path, data, size);
  const ProfileReadResult file = ReadProfileFile(path.c_str());
  if (bytes.substr(0, 4).find('\0') != std::string::npos) {
    OVProfile window;
    window.SetFileName(path.c_str());
    const bool whole = window.Load();
    FUZZ_CHECK(file.bOk == whole);
    if (whole) FUZZ_CHECK(Same(file.recs, window.GetRecords()));
  } else {
    FUZZ_CHECK(file.bOk == read.bOk);
    FUZZ_CHECK(file.error == read.error && file.nLine == read.nLine);
    if (file.bOk) FUZZ_CHECK(Same(file.recs, read.recs));
  }
  return 0;
}
