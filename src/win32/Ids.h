// Control IDs of the Win32 windows. OK and Cancel carry IDOK and IDCANCEL, so that Enter and
// Escape reach them through the dialog manager.
#pragma once

namespace win32::id {

// The main window.
enum Main : int {
  kBanner = 100,
  kHelp,
  kExit,
  kUserGroup,
  kUserList,
  kSelectAll,
  kClearAll,
  kCondGroup,
  kCondList,
  kDetail,
  kEnableAll,
  kDisableAll,
  kProfiles,
  kRefresh,
  kHotSync,
  kApply,
  kDefaultAction,
  kHistory,
  kOverview,
};

// The popup menu of the conduit list, in menu order.
enum Popup : int { kMiSync = 200, kMiHH2PC, kMiPC2HH, kMiNothing };

// The popup menu of the user list, in menu order.
enum UserPopup : int { kMiUserActions = 210, kMiUserInfo };

// The conduit detail dialog (OK: IDOK, Cancel: IDCANCEL).
enum CondDetail : int { kTitleLabel = 300, kName, kSyncGroup, kRbtnSync, kRbtnPC2HH, kRbtnHH2PC, kRbtnNothing };

// The user information dialog (Close: IDOK).
enum UserInfo : int {
  kNameLabel = 400,
  kUserName,
  kProfile,
  kDirGroup,
  kRootLabel,
  kRootDir,
  kDataLabel,
  kDataDir,
  kExpGroup,
  kExpList,
  kOpenActions,
};

// The profiles dialog (Cancel: IDCANCEL).
enum Profiles : int { kProfList = 500, kLoad, kSave };

// The profile details dialog (OK: IDOK, Cancel: IDCANCEL).
enum ProfDetail : int { kDescLabel = 600, kDesc, kFileLabel, kFile };

// The HotSync actions dialog (Close: IDOK).
enum SyncActions : int { kActionsUserLabel = 700, kActionsUserName, kActionsList, kActionsSummary, kCopy, kEndOneTime };

// The history dialog (Close: IDOK).
enum History : int { kHistEntriesLabel = 900, kHistEntries, kHistChangesLabel, kHistChanges, kHistNotice, kHistUndoText, kHistUndo };
// The overview window (Close: IDOK). The grid tells its parent with WM_COMMAND: the selected
// row changed (kGridSelChange) or a row was opened (kGridOpen: double click or Enter).
enum Overview : int { kOverviewDiffers = 1000, kOverviewSort, kOverviewGrid, kOverviewLegend, kOverviewStatus,
                      kOverviewTick, kOverviewActions };
enum OverviewGridCode : int { kGridSelChange = 1, kGridOpen = 2 };

// The progress window (Cancel: IDCANCEL).
enum Progress : int { kProgressText = 800, kProgressBar };

}  // namespace win32::id
