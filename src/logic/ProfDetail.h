// The profile details dialog's rules: it asks for the description of a new named profile and
// shows the file the profile will be saved to. It changes nothing itself; the profiles dialog
// reads what was accepted with GetDescription and GetFileName after OK.
#pragma once

#include <cstddef>
#include <string>

#include "src/core/ProfileStore.h"  // the description rule, LocalTextPrefix
#include "src/logic/View.h"

// The accepted description, terminator included: at most 254 bytes of text.
inline constexpr std::size_t PROFDETAIL_DESC_SIZE = kProfileDescriptionMax + 2;
inline constexpr std::size_t PROFDETAIL_DESC_MAX = kProfileDescriptionMax;
// The path given by SetFileName, terminator included: at most 258 bytes of text.
inline constexpr std::size_t PROFDETAIL_PATH_SIZE = kProfilePathMax + 2;
inline constexpr std::size_t PROFDETAIL_PATH_MAX = kProfilePathMax;

// The texts, positions and sizes of the dialog, shared by every view.
namespace profdetail {
inline constexpr int kClientWidth = 433;
inline constexpr int kClientHeight = 187;
inline constexpr const char* kCaption = "Profile Details";
inline constexpr const char* kDescLabel = "Description:";
inline constexpr int kDescLabelX = 18, kDescLabelY = 62;
inline constexpr const char* kFileLabel = "File Name:";
inline constexpr int kFileLabelX = 21, kFileLabelY = 105;
inline constexpr int kEditX = 89, kEditWidth = 307;
inline constexpr int kDescY = 60, kFileY = 102;
inline constexpr const char* kOK = "&OK";
inline constexpr int kOKX = 217, kOKY = 141;
inline constexpr const char* kCancel = "&Cancel";
inline constexpr int kCancelX = 320, kCancelY = 142;
inline constexpr const char* kInvalidDescription = kInvalidProfileDescription;
inline constexpr const char* kErrorCaption = "Orvane Error";
}  // namespace profdetail

class ProfDetailLogic {
 public:
  // An empty description, no file name.
  ProfDetailLogic();

  // The window that shows the dialog; the message about an empty description goes to it.
  void SetView(ov::WindowView* pView) { m_pView = pView; }

  // Keeps the first 258 bytes of szFileName, shown in edtFile. A null or empty name is a
  // programming error (assertion).
  void SetFileName(const char* szFileName);
  // OK with the text of edtDesc, by the catalogue's rule (StorableDescription, cutting a long
  // one): an empty description, or one with a zero byte or a line break, is refused with a
  // message and false (the dialog stays open); otherwise its first 254 bytes (whole characters)
  // are kept and true closes the dialog with OK. Blanks alone are a description.
  // outsideCodePage: the view could not convert what was typed into the ANSI code page without
  // changing a character (description holds the changed text); refused in the same way, with
  // kDescriptionOutsideCodePage as the reason.
  bool btnOKClick(const std::string& description, bool bOutsideCodePage = false);

  // The description accepted by OK ("" until then) and the name given by SetFileName.
  const char* GetDescription() const { return m_szDescription; }
  const char* GetFileName() const { return m_szFileName; }

 private:
  ov::WindowView* m_pView;
  char m_szDescription[PROFDETAIL_DESC_SIZE];
  char m_szFileName[PROFDETAIL_PATH_SIZE];
};
