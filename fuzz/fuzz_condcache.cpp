// The conduit cache file reader: CCondMgr::LoadFromFile over any bytes, and the record
// conversion CondRecordFromBytes / CondRecordToBytes it rests on.
//
// Checked for every input: the catalogue holds exactly one record per whole 540 bytes; every
// text of every record ends inside its field; a record read from bytes, written and read again
// is unchanged, and written again gives the same bytes; SaveToFile writes exactly those bytes
// and the saved file loads back to the same catalogue.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "fuzz/FuzzInput.h"

namespace {

void CheckTexts(const CONDUIT_REC& rec) {
  FUZZ_CHECK(fuzzinput::Terminated(rec.szCreator, sizeof rec.szCreator));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szModule, sizeof rec.szModule));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szDirectory, sizeof rec.szDirectory));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szFile, sizeof rec.szFile));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szRemote, sizeof rec.szRemote));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szInfo, sizeof rec.szInfo));
  FUZZ_CHECK(fuzzinput::Terminated(rec.szTitle, sizeof rec.szTitle));
  FUZZ_CHECK(rec.pCondObj == nullptr);
  for (std::uint8_t b : rec.byReserved) FUZZ_CHECK(b == 0);
}

bool SameRecord(const CONDUIT_REC& a, const CONDUIT_REC& b) {
  // Both come from CondRecordFromBytes, which clears the whole record first.
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string in = fuzzinput::ScratchFile("ovcond.dat");
  static const std::string out = fuzzinput::ScratchFile("ovcond.out");
  fuzzinput::WriteFile(in, data, size);

  CCondMgr* mgr = CCondMgr::GetInstance();
  const bool loaded = mgr->LoadFromFile(in.c_str());
  const std::size_t whole = size / COND_FILE_RECORD_SIZE;
  FUZZ_CHECK(loaded == (whole > 0));
  FUZZ_CHECK(mgr->GetCount() == whole);

  // The records in memory, as the bytes of each chunk give them.
  std::vector<unsigned char> expected;
  std::size_t i = 0;
  for (const CONDUIT_REC* rec = mgr->GetFirst(); rec; rec = mgr->GetNext(), ++i) {
    FUZZ_CHECK(i < whole);
    CheckTexts(*rec);

    CONDUIT_REC direct;
    CondRecordFromBytes(data + i * COND_FILE_RECORD_SIZE, &direct);
    FUZZ_CHECK(SameRecord(*rec, direct));

    unsigned char bytes[COND_FILE_RECORD_SIZE];
    CondRecordToBytes(*rec, bytes);
    CONDUIT_REC again;
    CondRecordFromBytes(bytes, &again);
    FUZZ_CHECK(SameRecord(*rec, again));
    unsigned char bytes2[COND_FILE_RECORD_SIZE];
    CondRecordToBytes(again, bytes2);
    FUZZ_CHECK(std::memcmp(bytes, bytes2, sizeof bytes) == 0);
    expected.insert(expected.end(), bytes, bytes + sizeof bytes);
  }
  FUZZ_CHECK(i == whole);

  // A look-up by the first record's own texts finds a record with them.
  if (const CONDUIT_REC* first = mgr->GetFirst()) {
    char creator[COND_CREATOR_LEN];
    char module[COND_MODULE_LEN];
    std::memcpy(creator, first->szCreator, sizeof creator);
    std::memcpy(module, first->szModule, sizeof module);
    const CONDUIT_REC* found = mgr->FindConduit(creator, module);
    FUZZ_CHECK((found != nullptr) == (creator[0] != '\0' && module[0] != '\0'));
  }

  FUZZ_CHECK(mgr->SaveToFile(out.c_str()));
  const std::string saved = fuzzinput::ReadFile(out);
  FUZZ_CHECK(saved.size() == expected.size());
  FUZZ_CHECK(expected.empty() || std::memcmp(saved.data(), expected.data(), expected.size()) == 0);
  FUZZ_CHECK(mgr->LoadFromFile(out.c_str()) == (whole > 0));
  FUZZ_CHECK(mgr->GetCount() == whole);

  mgr->RemoveAll();
  return 0;
}
