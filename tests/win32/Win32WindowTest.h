// Common ground of the Win32 window tests: the real windows against a temporary stand-in
// installation, driven with the messages a user's actions send (BM_CLICK, LVM_SETITEMSTATE,
// WM_CONTEXTMENU, WM_COMMAND, keys through the dialog manager). Message boxes and the popup
// menu are replaced, so the tests hear what was said and choose menu items without a modal
// loop; each modal dialog is handed to the next step queued with Then().
#pragma once

// The toolkit-free window fixture before <windows.h>, whose macros would rename two functions
// of the OS layer that it calls.
#include "tests/support/WindowFixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "src/win32/Ids.h"
#include "src/win32/MainWnd.h"
#include "src/win32/Win32Util.h"

namespace win32test {

namespace fs = std::filesystem;

struct Said {
  std::string text;
  std::string caption;
  ov::MessageIcon icon;
  HWND owner;
  ov::MessageButtons buttons;
};

// One item of a popup menu as it was shown.
struct MenuItem {
  std::string text;
  UINT id;
  bool checked;
  bool operator==(const MenuItem&) const = default;
};

// The standard installation's conduit rows, in catalogue order.
enum Row { kDate, kMemo, kAddr, kInstall, kBackup, kRowCount };
inline constexpr std::uint32_t kFirstUserId = 1001;

using windowtest::DataFile;

std::string ItemText(HWND list, int row, int column);
std::string Text(HWND hwnd);
// The client size in 96-dpi pixels.
SIZE ClientSize96(HWND hwnd);
// Every child control lies inside the client area and its caption fits its width.
void ExpectNothingCutOff(HWND hwnd);
// Every button, check box and radio button has an Alt key (&), and no two of them share one.
void ExpectMnemonicsUnique(HWND hwnd);
// A key pressed on the focused control of a dialog, through the dialog manager as the message
// loop hands it over.
void PressKey(HWND dialog, UINT vk);

class Win32WindowTest : public windowtest::WindowTestBase<MainWnd> {
 protected:
  using Step = std::function<void(HWND dialog)>;

  void SetUp() override;
  void TearDown() override;

  // Users named by names (IDs from 1001) and the standard conduits of the window tests: three
  // registered conduits with their modules, an install conduit and the backup conduit.
  fixture::Installation& Standard(std::vector<std::string> names = {"Alice", "Bob", "Carol"});
  // Commits the installation, points kestrow.ini at it and opens the main window.
  void Open();
  void CloseWindow();

  HWND Main() const { return m_pWin->Hwnd(); }
  HWND Ctl(int id) const { return GetDlgItem(Main(), id); }
  HWND Users() const { return Ctl(win32::id::kUserList); }
  HWND Conds() const { return Ctl(win32::id::kCondList); }
  void Click(int id) const { SendMessageW(Ctl(id), BM_CLICK, 0, 0); }
  static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  static bool Ticked(HWND list, int row) { return ListView_GetCheckState(list, row) != 0; }
  static void Tick(HWND list, int row, bool ticked) { ListView_SetCheckState(list, row, ticked ? TRUE : FALSE); }
  static void Select(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  std::string ActionText(int row) const { return ItemText(Conds(), row, 1); }
  std::uint32_t Action(int row) const;
  // Opens the popup menu of the conduit list (or of list) from the keyboard over the selected
  // row and chooses the item with command id (0: none); returns the items shown.
  std::vector<MenuItem> Popup(UINT choose) { return Popup(Conds(), choose); }
  std::vector<MenuItem> Popup(HWND list, UINT choose);
  // Queues what to do with the next modal dialog that opens (the progress window too).
  void Then(Step step) { m_steps.push_back(std::move(step)); }
  // Runs fn from the next loop that handles messages: a modal loop, or the progress window
  // between two steps of its work.
  void Later(std::function<void()> fn);

  std::vector<Said> m_said;
  // The answers to the next Yes/No questions, in order; without one a question gets its
  // default button (the one Enter presses).
  std::vector<ov::MessageAnswer> m_answers;
  // Called with every message box while it is open, before its answer.
  std::function<void(const Said&)> m_onSaid;
  // Captions of the modal dialogs in the order they opened.
  std::vector<std::string> m_dialogs;
  POINT m_menuAt{};

 private:
  static ov::MessageAnswer Capture(HWND owner, const ov::MessageRequest& request);
  static UINT ChooseFromMenu(HMENU menu, int x, int y, HWND owner);
  static void Drive(HWND dialog, void* context);
  static LRESULT CALLBACK LaterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  std::vector<Step> m_steps;
  std::vector<std::function<void()>> m_later;
  HWND m_laterWnd = nullptr;
  std::vector<MenuItem> m_menu;
  UINT m_choose = 0;
};

}  // namespace win32test
