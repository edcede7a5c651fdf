// orvanectl export-profile: a saved profile as text, to carry it to another desktop.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <system_error>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/core/ProfileStore.h"
#include "src/cli/Records.h"
#include "src/core/DataFiles.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/Session.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

// The conduits' titles by creator ID: from this installation when Palm Desktop is there, else
// from the cache file in the data directory as it is.
std::map<std::uint32_t, std::string> ConduitTitles() {
  std::map<std::uint32_t, std::string> titles;
  {
    Installation inst;
    if (inst.OpenQuietly(Installation::Need::Conduits)) {
      for (const CONDUIT_REC* p : inst.Conduits()) titles.emplace(p->dwCreatorID, ConduitTitleOf(*p));
      return titles;
    }
  }
  const std::string cache = DataFileForReading(kDataFileCond);
  std::error_code ec;
  if (cache.empty() || !std::filesystem::is_regular_file(cache, ec)) return titles;
  std::ifstream in(cache, std::ios::binary);
  unsigned char bytes[COND_FILE_RECORD_SIZE];
  while (in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    CONDUIT_REC rec{};
    CondRecordFromBytes(bytes, &rec);
    titles.emplace(rec.dwCreatorID, ConduitTitleOf(rec));
  }
  return titles;
}

bool SameRecords(const std::vector<ProfileRec>& a, const std::vector<ProfileRec>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ProfileRec& x, const ProfileRec& y) {
    return x.dwCreatorID == y.dwCreatorID && x.dwAction == y.dwAction;
  });
}

class ExportProfileCommand : public Command {
 public:
  ExportProfileCommand()
      : Command("export-profile", "write a saved profile as text (FILE - : standard output)",
                "export-profile PROFILE FILE") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl export-profile \"Office handhelds\" office.txt",
            "orvanectl export-profile 1 -          # profile 1 to standard output"};
  }
  void Declare(CLI::App& app) override {
    app.add_option("PROFILE", m_profile, "the saved profile: its description or number");
    app.add_option("FILE", m_file, "the text file to write (it is replaced only once written whole), or -");
    m_pFile = app.get_option("FILE");
  }

  int Run(const Context& c) override {
    if (!m_pFile->count()) return Usage(c.err, "export-profile needs a profile and a file");
    const std::string path = AbsolutePath(m_file);
    std::vector<ProfileRec> saved;
    std::string description;
    if (!ReadSavedProfile(m_profile, saved, &description, c.err)) return kExitUsage;

    // What apply reads of a saved profile is each conduit's first record: the text keeps those.
    std::vector<ProfileRec> recs;
    std::set<std::uint32_t> seen;
    for (const ProfileRec& r : saved) {
      if (seen.insert(r.dwCreatorID).second) recs.push_back(r);
    }
    if (recs.size() != saved.size()) {
      Say(c.err, "note: the profile lists some conduits more than once; the text keeps the first action of each, "
                 "the one apply uses");
    }

    // Titles and the description are comments: escaped, they stay on their line.
    const std::map<std::uint32_t, std::string> titles = ConduitTitles();
    const std::string text = FormatProfileText(recs, Esc(description), [&titles](std::uint32_t id) {
      const auto it = titles.find(id);
      return it != titles.end() ? Esc(it->second) : std::string("(not installed on the desktop it came from)");
    });
    // Only what import-profile and apply --profile-file read back as this profile is written.
    const ProfileReadResult back = ParseProfileText(text);
    if (!back.bOk || !SameRecords(back.recs, recs)) {
      Say(c.err, "profile " + Quoted(description) + " cannot be written as text that reads back the same" +
                     (back.bOk ? std::string() : ": " + Esc(back.error)));
      return kExitUsage;
    }

    if (path == "-") {
      c.out << text;
      return kExitOk;
    }
    std::string error;
    if (!WriteFileReplacing(path, text, &error)) {
      Say(c.err, Esc(m_file) + " could not be written: " + Esc(error));
      return kExitUsage;
    }
    Say(c.err, "profile " + Quoted(description) + " (" + CountText(recs.size(), "conduit", "conduits") + ") written to " +
                   Esc(m_file));
    return kExitOk;
  }

 private:
  std::string m_profile, m_file;
  CLI::Option* m_pFile = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeExportProfileCommand() { return std::make_unique<ExportProfileCommand>(); }

}  // namespace cli
