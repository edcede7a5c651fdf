// orvanectl import-profile: a profile file saved as a named profile.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/core/Session.h"  // CountText
#include "src/core/ProfileStore.h"
#include "src/cli/Records.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"

namespace cli {

namespace {

class ImportProfileCommand : public Command {
 public:
  ImportProfileCommand()
      : Command("import-profile", "save a profile file as a named profile", "import-profile FILE [OPTIONS]") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl import-profile office.txt --name \"Office handhelds\" --replace"};
  }
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
    // The profile details dialog's rule, whole descriptions only: a cut one is not what was typed.
    std::string why;
    if (!IsStorableDescription(description, &why)) {
      Say(c.err, std::string(kInvalidProfileDescription) + " " + Esc(why) + " A description is 1 to " +
                     std::to_string(kProfileDescriptionMax) + " bytes on one line; give one with --name");
      return kExitUsage;
    }

    OVProfMgr mgr;
    ImportReport report;
    if (!ImportProfile(mgr, recs, description, m_bReplace, &report)) {
      switch (report.failure) {
        case ImportReport::Failure::CatalogueUnreadable:
          Say(c.err, "the profile list " + Esc(mgr.GetLoadFileName()) +
                         " could not be read; no profile is added until that file is removed or replaced");
          break;
        case ImportReport::Failure::DescriptionExists:
          Say(c.err, "a profile named " + Quoted(description) + " is saved already (" + Esc(report.why) +
                         "); give --replace to replace its actions, or another --name");
          break;
        default: Say(c.err, Esc(report.why.empty() ? "the profile could not be saved" : report.why)); break;
      }
      return kExitUsage;
    }
    Output o = c.Results();
    const std::string shownDescription = report.pProfile ? report.pProfile->GetDescription() : description;
    if (o.IsJson()) {
      Json j = {{"number", report.nNumber},
                {"description", JsonText(shownDescription)},
                {"file", JsonText(report.file)},
                {"conduits", recs.size()}};
      if (report.bReplaced) j["replaced"] = true;
      o.Write(j);
    } else {
      o.Line("Profile " + std::to_string(report.nNumber) + " " + Quoted(shownDescription) + " (" +
             CountText(recs.size(), "conduit", "conduits") + ") " + (report.bReplaced ? "replaced in " : "saved as ") +
             Esc(report.file));
    }
    return kExitOk;
  }

 private:
  std::string m_file, m_name;
  bool m_bReplace = false;
  CLI::Option* m_pFile = nullptr;
  CLI::Option* m_pName = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeImportProfileCommand() { return std::make_unique<ImportProfileCommand>(); }

}  // namespace cli
