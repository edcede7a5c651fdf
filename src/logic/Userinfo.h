// The user information dialog's contents: what UserData.dll knows about one handheld user (name,
// root and data directories, whether the user is a profile, the expansion slots with their media
// types), read once before the dialog is shown. Nothing in it can be changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The texts and sizes of the dialog, shared by every view.
namespace userinfo {
inline constexpr int kClientWidth = 465;
inline constexpr int kClientHeight = 362;
inline constexpr const char* kCaption = "User Information";
inline constexpr const char* kNameLabel = "User Name:";
inline constexpr const char* kProfile = "Is User Profile";
inline constexpr const char* kDirGroup = " Directory Information ";
inline constexpr const char* kRootLabel = "Root Directory:";
inline constexpr const char* kDataLabel = "Data Directory:";
inline constexpr const char* kExpGroup = " Expansion Information ";
inline constexpr const char* kColumns[] = {"No.", "ID", "Type", "Name"};
inline constexpr int kColumnWidths[] = {40, 40, 150, 120};
inline constexpr const char* kClose = "&Close";
}  // namespace userinfo

class MainWindowLogic;

// The name of a slot's media type, a four-character code with its first character in the most
// significant byte: "Compact Flash" for 'cfsh' and so on; "Not Specified" for 'wild' and for
// every code the table does not know.
const char* MediaTypeName(std::uint32_t dwMediaType);

// One row of the expansion list: the texts of its four columns.
struct SlotRow {
  std::string no;
  std::string id;
  std::string type;
  std::string name;
};

class UserInfoLogic {
 public:
  // Remembers userId and reads everything from UserData.dll. A call that fails leaves its
  // text empty (the type "Not Specified"); nothing is reported.
  void LoadUserInfo(std::uint32_t userId);

  std::uint32_t GetUserId() const { return m_dwUserId; }
  bool IsProfile() const { return m_bProfile; }
  const std::string& UserName() const { return m_userName; }
  const std::string& RootDirectory() const { return m_rootDir; }
  const std::string& DataDirectory() const { return m_dataDir; }
  const std::vector<SlotRow>& Slots() const { return m_slots; }

  // The main window the dialog was opened from: its HotSync Actions button opens the user's
  // actions over that window's conduit list (SyncActionsLogic). Without one the button is off.
  void SetMain(MainWindowLogic* pMain) { m_pMain = pMain; }
  MainWindowLogic* Main() const { return m_pMain; }
  bool IsActionsEnabled() const { return m_pMain != nullptr; }

  // HotSync Actions: the main window shows this user's actions (its OpenSyncActions), modal
  // over this dialog. Nothing without a main window.
  void btnActionsClick();

 private:
  std::uint32_t m_dwUserId = 0;
  bool m_bProfile = false;
  std::string m_userName;
  std::string m_rootDir;
  std::string m_dataDir;
  std::vector<SlotRow> m_slots;
  MainWindowLogic* m_pMain = nullptr;
};
