// The stand-in Palm Desktop's readers: its installation description (palmdesk.ini,
// palmdesk::ParseDescription) and its sync-preference journal (palmdesk.journal), over any bytes.
//
// Checked for every input: every count and text stays inside the reader's limits; the text
// FormatDescription writes for what was read reads back to the same description; the journal
// fold agrees with the journal's lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>

#include "fuzz/FuzzInput.h"
#include "palmdesk/Description.h"

namespace {

using namespace palmdesk;

void CheckLimits(const Description& d) {
  FUZZ_CHECK(d.users.size() <= kMaxUsers);
  FUZZ_CHECK(d.conduits.size() <= kMaxConduits);
  FUZZ_CHECK(d.installConduits.size() <= kMaxInstallConduits);
  FUZZ_CHECK(d.moduleNames.size() <= kMaxModuleNames);
  FUZZ_CHECK(d.faultText.size() <= kMaxFaults);
  FUZZ_CHECK(d.problems.size() <= kMaxProblems);
  FUZZ_CHECK(d.root.size() <= kMaxText && d.backup.size() <= kMaxText);
  for (const User& u : d.users) {
    FUZZ_CHECK(u.name.size() <= kMaxText && u.directory.size() <= kMaxText);
    FUZZ_CHECK(u.expansionSlots.size() <= kMaxSlotsPerUser);
    for (const Slot& s : u.expansionSlots) FUZZ_CHECK(s.name.size() <= kMaxText);
  }
  for (const Conduit& c : d.conduits) {
    for (const std::string* t : {&c.creator, &c.module, &c.title, &c.directory, &c.file, &c.remote, &c.info}) {
      FUZZ_CHECK(t->size() <= kMaxText);
    }
  }
  for (const InstallConduit& c : d.installConduits) {
    FUZZ_CHECK(c.creator.size() <= 4);
    for (const std::string* t : {&c.module, &c.name, &c.directory, &c.extensions}) FUZZ_CHECK(t->size() <= kMaxText);
  }
  for (const auto& [file, name] : d.moduleNames) FUZZ_CHECK(!file.empty() && name.size() <= kMaxText);
  for (const auto& [key, value] : d.faultText) FUZZ_CHECK(value.size() <= kMaxText);
}

bool SameFaults(const Faults& a, const Faults& b) {
  auto list = [](const std::vector<FaultEntry>& l) {
    std::vector<std::pair<std::uint32_t, std::int32_t>> out;
    for (const FaultEntry& e : l) out.emplace_back(e.key, e.result);
    return out;
  };
  return a.userCount == b.userCount &&
         a.conduitCount == b.conduitCount &&
         a.installCount == b.installCount &&
         list(a.installInfoFail) == list(b.installInfoFail) && list(a.userNameFail) == list(b.userNameFail) &&
         list(a.userDirectoryFail) == list(b.userDirectoryFail) && 
         a.syncWriteFail == b.syncWriteFail && list(a.mediaTypeFail) == list(b.mediaTypeFail) &&
         a.slotInfoCount == b.slotInfoCount &&
         a.unterminatedTexts == b.unterminatedTexts && 
         a.slotCount == b.slotCount && a.oversizedTexts == b.oversizedTexts;
}

bool Same(const Description& a, const Description& b) {
  if (a.users.size() != b.users.size() || a.conduits.size() != b.conduits.size() ||
      a.installConduits.size() != b.installConduits.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.users.size(); ++i) {
    const User& x = a.users[i];
    const User& y = b.users[i];
    if (std::tie(x.id, x.name, x.directory, x.profile) != std::tie(y.id, y.name, y.directory, y.profile)) return false;
    if (x.expansionSlots.size() != y.expansionSlots.size()) return false;
    for (std::size_t j = 0; j < x.expansionSlots.size(); ++j) {
      if (std::tie(x.expansionSlots[j].ref, x.expansionSlots[j].mediaType, x.expansionSlots[j].name) !=
          std::tie(y.expansionSlots[j].ref, y.expansionSlots[j].mediaType, y.expansionSlots[j].name)) {
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < a.conduits.size(); ++i) {
    const Conduit& x = a.conduits[i];
    const Conduit& y = b.conduits[i];
    if (std::tie(x.creator, x.module, x.title, x.directory, x.file, x.remote, x.info, x.integrate, x.priority) !=
        std::tie(y.creator, y.module, y.title, y.directory, y.file, y.remote, y.info, y.integrate, y.priority)) {
      return false;
    }
  }
  for (std::size_t i = 0; i < a.installConduits.size(); ++i) {
    const InstallConduit& x = a.installConduits[i];
    const InstallConduit& y = b.installConduits[i];
    if (std::tie(x.creator, x.module, x.name, x.directory, x.extensions, x.mask) !=
        std::tie(y.creator, y.module, y.name, y.directory, y.extensions, y.mask)) {
      return false;
    }
  }
  return a.hasBackup == b.hasBackup && a.backup == b.backup && a.hasRoot == b.hasRoot && a.root == b.root &&
         a.hotsync == b.hotsync &&
         a.moduleNames == b.moduleNames && a.faultText == b.faultText && SameFaults(a.faults, b.faults);
}

void CheckJournal(std::string_view text) {
  const std::vector<JournalLine> lines = ParseJournal(text);
  JournalFold fold;
  const std::size_t consumed = fold.Add(text);
  FUZZ_CHECK(consumed <= text.size());
  FUZZ_CHECK(consumed == 0 || text[consumed - 1] == '\n');
  FUZZ_CHECK(text.find('\n', consumed) == std::string_view::npos);
  // The last line written for a user and creator is what the fold answers.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const JournalLine& l = lines[i];
    bool later = false;
    for (std::size_t j = i + 1; j < lines.size() && !later; ++j) {
      later = lines[j].permanent == l.permanent && lines[j].userId == l.userId && lines[j].creatorId == l.creatorId;
    }
    if (later) continue;
    // ... or, after a deletion, that nothing was written.
    std::int32_t code = 0;
    FUZZ_CHECK(fold.Find(l.permanent, l.userId, l.creatorId, &code) == !l.erase);
    FUZZ_CHECK(l.erase || code == l.code);
    // A line written as it would be written reads back the same.
    JournalLine back;
    std::string formatted = FormatJournalLine(l);
    FUZZ_CHECK(!formatted.empty() && formatted.back() == '\n');
    formatted.pop_back();
    FUZZ_CHECK(ParseJournalLine(formatted, &back));
    FUZZ_CHECK(back.permanent == l.permanent && back.userId == l.userId && back.creatorId == l.creatorId &&
               back.code == l.code && back.erase == l.erase);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Description d = ParseDescription(text);
  CheckLimits(d);

  const std::string written = FormatDescription(d);
  const Description again = ParseDescription(written);
  FUZZ_CHECK(Same(d, again));
  FUZZ_CHECK(FormatDescription(again) == written);

  CheckJournal(text);
  return 0;
}
