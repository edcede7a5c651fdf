// The profiles dialog: lists the named profiles of the profile catalogue, loads the selected one
// onto the main window's conduit list, and saves the main window's current actions as a new
// profile (asking for its description with the profile details dialog).
//
// What is on disk stays trustworthy:
// - A new profile gets the file "ovprofN.dat" beside the executable, N counting on from the
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

#include <QDialog>

class QPushButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;

class OVProfile;
class OVProfMgr;

class TfmProfile : public QDialog {
  Q_OBJECT

 public:
  explicit TfmProfile(QWidget* owner = nullptr);

  // Uses pMgr (not owned; null is a programming error) and fills the list from it.
  bool SetProfMgr(OVProfMgr* pMgr);
  // Reads the catalogue again from "ovprof.dat" and rebuilds the rows, the first selected.
  // False without a catalogue.
  bool FillList();

  OVProfMgr* GetProfMgr() const { return m_pMgr; }
  // The profile of the selected row, or null.
  OVProfile* SelectedProfile() const;
  // Whether "ovprof.dat" exists but could not be read at the last FillList.
  bool IsCatalogueUnreadable() const { return m_bUnreadable; }

  // The path of the next new profile's file into buf (cap bytes): the tool's directory and
  // "ovprofN.dat" with N from the number of profiles plus one, skipping names that exist or
  // that an entry uses. False, with "" in buf, when the directory is unknown or no name fits.
  bool NewProfilePath(char* buf, std::size_t cap);

 public Q_SLOTS:
  // Loads the selected profile's file onto the conduit list and closes with OK; nothing
  // without a selected row. A file that exists but cannot be read is reported, changes
  // nothing and leaves the dialog open; a missing file changes nothing and closes.
  void btnLoadClick();
  // Asks for a description and saves the current actions as a new profile, then writes the
  // catalogue (after OK and after Cancel).
  void btnSaveClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTreeWidgetItem* AddRow(OVProfile* pProfile);
  void TellUnreadable();
  // Throws away what is in memory and shows what "ovprof.dat" holds.
  void ReloadFromDisk();

  OVProfMgr* m_pMgr;
  bool m_bUnreadable;
  bool m_bTellOnShow;

  QTreeWidget* lvProf;
  QPushButton* btnLoad;
  QPushButton* btnSave;
  QPushButton* btnCancel;
};
