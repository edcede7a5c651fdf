// The conduit detail dialog's rules: one conduit of the conduit list with its title, and its
// action chosen from four radio buttons. It works on the conduit record itself and changes only
// the record's action, and only when the user confirms with OK.
#pragma once

#include <cstdint>
#include <string>

struct CONDUIT_REC;

// The texts and sizes of the dialog, shared by every view.
namespace conddetail {
inline constexpr int kClientWidth = 368;
inline constexpr int kClientHeight = 288;
inline constexpr int kNameWidth = 247;
inline constexpr const char* kCaption = "Orvane Conduit Detail Information";
inline constexpr const char* kTitleLabel = "Conduit Title:";
inline constexpr const char* kGroup = " Synchronization Settings ";
inline constexpr const char* kSync = "Synchronizes the Files";
inline constexpr const char* kPC2HH = "Desktop Overwrites Handheld";
inline constexpr const char* kHH2PC = "Handheld Overwrites Desktop";
inline constexpr const char* kNothing = "Do Nothing";
inline constexpr const char* kOK = "&OK";
inline constexpr const char* kCancel = "&Cancel";
}  // namespace conddetail

// The four radio buttons (None: none checked, as the dialog starts).
enum class CondChoice { None, Sync, PC2HH, HH2PC, Nothing };

class CondDetailLogic {
 public:
  // Runs FormCreate: no record, no radio button checked.
  CondDetailLogic();

  void FormCreate();
  // Binds the dialog to pData (not owned; must not be null) and fills the controls from it.
  void SetData(CONDUIT_REC* pData);
  // bSave false: shows the record's title and checks the radio button of its action.
  // bSave true: writes the checked choice into the record's action: 1, 2 or 4, or for
  // "Do Nothing" the action switched off (OR 0x10000, the low 16 bits kept).
  // False, doing nothing, without a record.
  bool TransferData(bool bSave);
  // OK: stores the choice; true when the dialog closes with OK (false without a record: it
  // stays open).
  bool btnOKClick();

  // The radio button the user checked.
  void SetChoice(CondChoice choice) { m_choice = choice; }

  CONDUIT_REC* GetData() const { return m_pData; }
  // edtName: the record's title (the edit box's text is never read back).
  const std::string& Title() const { return m_title; }
  CondChoice Choice() const { return m_choice; }

 private:
  CONDUIT_REC* m_pData;
  std::string m_title;
  CondChoice m_choice;
};

// The radio button checked for dwAction: switched off or 8 "Do Nothing", then 2, then 4, else
// "Synchronizes the Files".
CondChoice ChoiceForAction(std::uint32_t dwAction);
