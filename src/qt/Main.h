// The main window: the user list, the conduit list with the action of every conduit, and the
// commands that edit the actions and apply them to the ticked users.
//
// The action of a conduit lives in its catalogue record (CONDUIT_REC::dwAction): the sync action
// code in the low 16 bits (1 synchronize, 2 desktop overwrites handheld, 4 handheld overwrites
// desktop, 8 do nothing) and the disabled bit 0x10000 above it. Any value above 0xFFFF means
// switched off; switching on again keeps the low 16 bits. The conduit list only shows the
// records: every command changes the record first and the row's text and tick with it, and a
// change of a row's tick switches its record on (ticked) or off (unticked).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QVector>
#include <QWidget>

class QAction;
class QCheckBox;
class QCloseEvent;
class QFrame;
class QGroupBox;
class QItemSelection;
class QLabel;
class QMenu;
class QModelIndex;
class QPoint;
class QPushButton;
class QStandardItemModel;
class QTreeView;

class CCondMgr;
class OVProfile;
class OVProfMgr;
struct CONDUIT_REC;
struct UserRecord;

// Action values of a conduit record.
inline constexpr std::uint32_t ACTION_SYNC = 1;
inline constexpr std::uint32_t ACTION_PC2HH = 2;
inline constexpr std::uint32_t ACTION_HH2PC = 4;
inline constexpr std::uint32_t ACTION_NOTHING = 8;
inline constexpr std::uint32_t ACTION_DISABLED = 0x10000;
inline constexpr std::uint32_t ACTION_CODE_MASK = 0xFFFF;

// The display name buffer of GetActionName, terminator included.
inline constexpr std::size_t ACTION_NAME_LEN = 64;

// Writes the display name of dwAction into szText (ACTION_NAME_LEN bytes): "Do Nothing" when
// switched off or 8, "Synchronize the files", "Desktop overwrites handheld" or "Handheld
// overwrites Desktop" for 1, 2 and 4. Any other code is treated as synchronize everywhere in the
// tool (tick, popup, Apply), so it is named "Synchronize the files" too.
void GetActionName(std::uint32_t dwAction, char* szText);
// Whether the tool ticks a row for dwAction: switched on and not 8.
bool IsActionTicked(std::uint32_t dwAction);
// The sync preference code Palm's user data library takes for dwAction: 3 (do nothing) when
// switched off or 8, 1 for 2 (desktop overwrites handheld), 2 for 4 (handheld overwrites
// desktop), 0 (synchronize) for 1 and every other value.
std::int32_t SyncPrefCode(std::uint32_t dwAction);

// The address of the help page, which travels beside the executable:
// "file:///<the executable's directory>/help/orvane/index.htm?ref=app" (percent-encoded;
// "file:///C:/..." on Windows). Empty when the directory cannot be found.
QByteArray HelpAddress();

class TfmMain : public QWidget {
  Q_OBJECT

 public:
  // Builds the controls, then starts up: binds the Palm libraries, fills the user list, fills
  // the conduit list from the cache file (or enumerates the conduits and writes it), and puts
  // the actions of the current-settings profile "ovcurr.dat" onto the list. Sets fmMain.
  explicit TfmMain(QWidget* parent = nullptr);
  // Destroys the profiles and releases the Palm libraries and the user roster.
  ~TfmMain() override;
  TfmMain(const TfmMain&) = delete;
  TfmMain& operator=(const TfmMain&) = delete;

  // Rebuilds the user list from the roster, every user ticked.
  void FillUserList();
  // Rebuilds the catalogue when needed and the conduit list from it. With bFromCache the
  // catalogue is read from the cache file; when that gives no record (or without bFromCache)
  // the conduits are enumerated, get the default action of their kind, and the cache file is
  // written. m_bRefilling is set meanwhile, so row events touch no record.
  void FillConduitList(bool bFromCache);
  // Every record gets the default action of its kind: registered 1, backup 4, install 2.
  void SetDefaultActions();
  // Copies actions between the conduit list and pProfile (by creator ID, first entry): bStore
  // copies the list into the profile (adding entries for conduits it lacks), otherwise the
  // profile's actions go onto the list and the ticks follow. Nothing without a profile.
  void ExchangeProfile(bool bStore, OVProfile* pProfile);
  // The popup commands: 8 switches the selected conduit off and unticks it, any other value
  // becomes its action and ticks it. Nothing without a selected row.
  void SetSelectedAction(std::uint32_t dwAction);
  // Writes the sync preference code of every listed conduit for one user: permanent
  // preferences when "Default Action" is ticked, temporary ones otherwise. True when every
  // call succeeded.
  bool ApplyToUser(std::uint32_t userId);

  // The cache file path ("ovcond.dat" beside the executable; empty when that does not fit).
  const char* GetCondFile() const { return m_szCondFile; }
  // The profile catalogue, for the profiles dialog.
  OVProfMgr* GetProfMgr() const { return m_pProfMgr; }
  OVProfile* GetCurrentProfile() const { return m_pProfile; }
  // The conduit record of a row of slvCond, the user record of a row of slvUser; null when
  // there is none.
  CONDUIT_REC* CondRecordAt(int nRow) const;
  const UserRecord* UserRecordAt(int nRow) const;
  // The selected row of slvCond / slvUser, or -1.
  int SelectedCondRow() const;
  int SelectedUserRow() const;

 public Q_SLOTS:
  void sbtnHelpClick();
  void sbtnExitClick();
  void sbtnHotSyncClick();
  void sbtnProfileClick();
  void slvUserDblClick();
  void sbtnAllClick();
  void sbtnClearClick();
  void sbtnDetailClick();
  void sbtnEnableClick();
  void sbtnDisableClick();
  void sbtnLoadCondClick();
  void sbtnApplyClick();
  // Prepares pmCond for the selected conduit: which items show, the install caption, the
  // check mark. Runs every time the menu is about to open.
  void pmCondPopup();
  void miSyncClick();
  void miHH2PCClick();
  void miPC2HHClick();
  void miNothingClick();
  // A row of slvCond changed its tick: switch its record on or off and show the new action.
  void slvCondChange(int nRow);

 protected:
  // FormClose: the actions of the list go into the current-settings profile, which is saved.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Read-only facts about the rows, taken once per Apply.
  struct CondPref {
    std::uint32_t dwCreatorID;
    std::int32_t nCode;
  };

  void BuildControls();
  void FormCreate();
  void FormClose();
  void FormDestroy();

  // Writes the Action text of a row from its record.
  void ShowRowAction(int nRow, const CONDUIT_REC* pRec);
  // Sets the tick of a row of slvCond (a change runs slvCondChange).
  void SetCondRowTicked(int nRow, bool bTicked);
  void SetAllUserTicks(bool bTicked);
  void SetAllCondTicks(bool bTicked);
  void UpdateDetailButton();
  void OnCondDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                         const QVector<int>& roles);
  void OnCondCurrentChanged(const QModelIndex& current);
  void OnCondContextMenu(const QPoint& pos);
  // A popup item was chosen: undo the check mark Qt toggled (the menu keeps the marks
  // pmCondPopup set) and set the action.
  void OnMenuItem(QAction* pItem, bool bChecked, std::uint32_t dwAction);

  std::vector<CondPref> CollectCondPrefs() const;
  static bool WritePrefs(std::uint32_t userId, const std::vector<CondPref>& prefs, bool bPermanent);

  // Hooks for the dialogs that open from this window. Each returns whether the dialog changed
  // something the window must show.
  bool RunCondDetail(CONDUIT_REC* pRec);
  void RunUserInfo(std::uint32_t userId);
  void RunProfiles();

  char m_szCondFile[260];
  bool m_bRefilling;
  OVProfile* m_pProfile;
  OVProfMgr* m_pProfMgr;

  QFrame* spTop;
  QLabel* spImgTitle;
  QPushButton* sbtnHelp;
  QPushButton* sbtnExit;
  QGroupBox* suiSideChannel1;
  QTreeView* slvUser;
  QPushButton* sbtnAll;
  QPushButton* sbtnClear;
  QGroupBox* spClient;
  QTreeView* slvCond;
  QPushButton* sbtnDetail;
  QPushButton* sbtnEnable;
  QPushButton* sbtnDisable;
  QPushButton* sbtnProfile;
  QPushButton* sbtnLoadCond;
  QPushButton* sbtnHotSync;
  QPushButton* sbtnApply;
  QCheckBox* schkDefault;
  QMenu* pmCond;
  QAction* miSync;
  QAction* miHH2PC;
  QAction* miPC2HH;
  QAction* miNothing;

  QStandardItemModel* m_pUserModel;
  QStandardItemModel* m_pCondModel;
};

// The one main window, set while it exists (the profile dialogs reach the list through it).
extern TfmMain* fmMain;
// The conduit catalogue, fetched when the main window starts up.
extern CCondMgr* g_pCondMgr;
