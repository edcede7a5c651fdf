// orvanectl import-profile: a profile file saved as a named profile.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/ProfileStandIn.h"
#include "src/cli/Records.h"
#include "src/core/misc/AsciiCase.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"

namespace cli {

namespace {

class ImportProfileCommand : public Command {
 public:
  ImportProfileCommand()
      : Command("import-profile", "save a profile file as a named profile", "import-profile FILE [OPTIONS]") {}

  void Declare(CLI::App& app) override {
    app.add_option("FILE", m_file, "the profile file: text, or a saved ovprofN.dat");
    app.add_option("--name", m_name, "the profile's description (default: the file's name without its extension)")
        ->type_name("DESCRIPTION");
    app.add_flag("--replace", m_bReplace, "replace the actions of the saved profile of that description")
        ->disable_flag_override()
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    m_pFile = app.get_option("FILE");
    m_pName = app.get_option("--name");
  }

  int Run(const Context& c) override {
    if (!m_pFile->count()) return Usage(c.err, "import-profile needs one file");
    std::vector<ProfileRec> recs;
    if (!ReadProfileArgument(m_file, recs, c.err)) return kExitUsage;

    std::string description = m_name;
    if (!m_pName->count()) {
      // The file's name without its directory and extension.
      const std::size_t slash = m_file.find_last_of("/\\");
      description = m_file.substr(slash == std::string::npos ? 0 : slash + 1);
      if (const std::size_t dot = description.rfind('.'); dot != std::string::npos && dot > 0) description.erase(dot);
    }
    if (!standin::IsValidDescription(description)) {
      Say(c.err, std::string(standin::kInvalidDescription) + " A description is 1 to " +
                     std::to_string(standin::kDescriptionMax) + " bytes on one line; give one with --name");
      return kExitUsage;
    }

    OVProfMgr mgr;
    if (!LoadCatalogue(mgr, c.err, "; no profile is added until that file is removed or replaced")) return kExitUsage;
    std::vector<OVProfile*> same;
    std::size_t nNumber = 0, n = 0;
    for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) {
      ++n;
      if (ov::EqualNoCase(p->GetDescription(), description)) {
        same.push_back(p);
        nNumber = n;
      }
    }
    Output o = c.Results();
    if (!same.empty()) {
      if (!m_bReplace) {
        Say(c.err, "a profile named " + Quoted(same.front()->GetDescription()) + " is saved already; give --replace " +
                       "to replace its actions, or another --name");
        return kExitUsage;
      }
      if (same.size() > 1) {
        Say(c.err, "several saved profiles are named " + Quoted(description) + "; none was replaced");
        return kExitUsage;
      }
      return Replace(*same.front(), nNumber, mgr, recs, description, o, c);
    }

    const std::string path = standin::NewProfilePath(mgr);
    if (path.empty()) {
      Say(c.err, std::string("no file name could be found for a new profile in the data directory"));
      return kExitUsage;
    }
    OVProfile* pProfile = mgr.NewProfile();
    if (!pProfile) return kExitUsage;
    pProfile->SetDescription(description.c_str());
    pProfile->SetFileName(path.c_str());
    for (const ProfileRec& rec : recs) pProfile->AddRec(&rec);
    if (!pProfile->Save()) {
      Say(c.err, "the profile could not be saved to " + Esc(path));
      return kExitUsage;
    }
    if (!mgr.Save()) {
      // The file name was free before: removing it leaves the disk as it was.
      os::RemoveFile(path.c_str());
      Say(c.err, "the profile list " + Esc(mgr.GetFileName()) + " could not be written; nothing was added");
      return kExitUsage;
    }
    Tell(o, mgr.GetCount(), description, path, recs.size(), "saved as");
    return kExitOk;
  }

 private:
  // New actions for a saved profile: its own file is replaced whole, or left as it was.
  static int Replace(OVProfile& existing, std::size_t nNumber, OVProfMgr& mgr, const std::vector<ProfileRec>& recs,
                     const std::string& description, Output& o, const Context& c) {
    OVProfile replacement;
    replacement.SetFileName(existing.GetFileName());
    for (const ProfileRec& rec : recs) replacement.AddRec(&rec);
    if (!replacement.Save()) {
      Say(c.err, "the profile could not be saved to " + Esc(existing.GetFileName()) + "; it was left as it was");
      return kExitUsage;
    }
    if (description != existing.GetDescription()) {
      existing.SetDescription(description.c_str());
      if (!mgr.Save()) {
        Say(c.err, "note: the profile list " + Esc(mgr.GetFileName()) + " could not be written; the profile keeps its "
                   "old description");
      }
    }
    Tell(o, nNumber, description, existing.GetFileName(), recs.size(), "replaced in");
    return kExitOk;
  }

  static void Tell(Output& o, std::size_t nNumber, const std::string& description, const std::string& path,
                   std::size_t nRecs, const char* szDone) {
    if (o.IsJson()) {
      o.Write({{"number", nNumber}, {"description", JsonText(description)}, {"file", JsonText(path)}, {"conduits", nRecs}});
    } else {
      o.Line("Profile " + std::to_string(nNumber) + " " + Quoted(description) + " (" +
             Count(nRecs, "conduit", "conduits") + ") " + szDone + " " + Esc(path));
    }
  }

  std::string m_file, m_name;
  bool m_bReplace = false;
  CLI::Option* m_pFile = nullptr;
  CLI::Option* m_pName = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeImportProfileCommand() { return std::make_unique<ImportProfileCommand>(); }

}  // namespace cli
