// The profiles dialog's rules: it lists the named profiles of the profile catalogue, loads the
// selected one onto the main window's conduit list, and saves the main window's current actions
// as a new profile (asking for its description with the profile details dialog).
//
// Saving goes through the core's ImportProfile, as the console's import does; a description
// that another profile has already (ignoring letter case) is refused, so that every profile can
// be named by its description.
//
// What is on disk stays trustworthy:
// - A new profile gets the file "ovprofN.dat" in the data directory, N counting on from the
//   number of profiles plus one past every name that exists on disk or that an entry of the
//   catalogue already uses, so no saved profile is ever overwritten.
// - When the profile's file or the catalogue cannot be written, the user is told, the profile
//   is not kept (a profile file written for it is removed again) and the list is read again
//   from "ovprof.dat", so it shows what is really saved.
// - When "ovprof.dat" exists but cannot be read (damaged, or not readable), the user is told
//   when the dialog opens, and nothing is written to it while it stays so: saving a profile is
//   refused with a message, and Cancel does not rewrite it. Removing or replacing the file ends
//   this.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "src/logic/View.h"

class MainWindowLogic;
class OVProfile;
class OVProfMgr;
class ProfDetailLogic;

// The texts, positions and sizes of the dialog, shared by every view.
namespace profiles {
inline constexpr int kClientWidth = 553;
inline constexpr int kClientHeight = 310;
inline constexpr const char* kCaption = "Orvane Profiles";
inline constexpr int kListX = 24, kListY = 57, kListWidth = 503, kListHeight = 193;
inline constexpr const char* kColumns[] = {"Profile Description", "File Name"};
inline constexpr int kColumnWidth = 240;
inline constexpr const char* kLoad = "&Load";
inline constexpr int kLoadX = 24, kLoadWidth = 80;
inline constexpr const char* kSave = "&Save Current Settings as Profile";
inline constexpr int kSaveX = 120, kSaveWidth = 200;
inline constexpr const char* kCancel = "&Cancel";
inline constexpr int kCancelX = 447, kCancelWidth = 80;
inline constexpr int kButtonY = 267;
}  // namespace profiles

// One row of the list: the profile (owned by the catalogue), its description and its file.
struct ProfileRow {
  OVProfile* pProfile;
  std::string description;
  std::string file;
};

// What the profiles dialog's logic asks of the window that shows it.
class ProfilesView : public ov::WindowView {
 public:
  // The rows or the selection changed: redraw the list.
  virtual void ListChanged() = 0;
  // Shows the details dialog modally, owned by the profiles dialog; true when it closed with OK.
  virtual bool RunProfDetail(ProfDetailLogic& dialog) = 0;
  // Closes the profiles dialog with the OK result (a profile was loaded).
  virtual void CloseWithOK() = 0;
};

class ProfileLogic {
 public:
  // pMain receives loaded profiles and gives its actions to saved ones (null: nothing is
  // exchanged, as in tests of the list alone).
  explicit ProfileLogic(MainWindowLogic* pMain);

  // The window that shows the dialog; messages and redraws go to it (none until it is set).
  void SetView(ProfilesView* pView) { m_pView = pView; }

  // Uses pMgr (not owned; null is a programming error) and fills the list from it.
  bool SetProfMgr(OVProfMgr* pMgr);
  // Reads the catalogue again from "ovprof.dat" and rebuilds the rows, the first selected.
  // False without a catalogue. An unreadable catalogue is told at once when the dialog is on
  // the screen, else when FormShow runs.
  bool FillList();
  // The dialog is on the screen.
  void FormShow();

  // Loads the selected profile's file onto the conduit list and closes with OK; nothing
  // without a selected row. A file that exists but cannot be read is reported, changes
  // nothing and leaves the dialog open; a missing file changes nothing and closes.
  void btnLoadClick();
  // Asks for a description and saves the current actions as a new profile, then writes the
  // catalogue (after OK and after Cancel).
  void btnSaveClick();
  // A double click on a row loads it, as Load does (Enter on the list is Load itself).
  void lvProfDblClick() { btnLoadClick(); }
  // The user selected a row (-1: none).
  void SelectRow(int nRow);

  const std::vector<ProfileRow>& Rows() const { return m_rows; }
  int SelectedRow() const { return m_nSelected; }
  OVProfMgr* GetProfMgr() const { return m_pMgr; }
  // The profile of the selected row, or null.
  OVProfile* SelectedProfile() const;
  // Whether "ovprof.dat" exists but could not be read at the last FillList.
  bool IsCatalogueUnreadable() const { return m_bUnreadable; }

  // The path of the next new profile's file into buf (cap bytes), by the core's rule
  // (::NewProfilePath with this dialog's catalogue): the data directory and "ovprofN.dat" with N
  // from the number of profiles plus one, skipping names that exist or that an entry uses. False,
  // with "" in buf, when the directory is unknown or no name fits.
  bool NewProfilePath(char* buf, std::size_t cap);

 private:
  void AddRow(OVProfile* pProfile);
  void TellUnreadable();
  void ShowError(const std::string& text);

  ProfilesView* m_pView;
  MainWindowLogic* m_pMain;
  OVProfMgr* m_pMgr;
  bool m_bUnreadable;
  bool m_bShown;
  bool m_bTellOnShow;
  std::vector<ProfileRow> m_rows;
  int m_nSelected;
};
