// What the Win32 windows do for the screen and the keyboard a user has: a larger message font
// grows every window without cutting a text, F1 runs Help from the main window and its
// dialogs, High Contrast takes the banner panel to the system's colours, and a description
// typed with characters the ANSI code page has no place for is refused, not stored changed.
#include "src/core/ProfileStore.h"
#include "tests/win32/Win32WindowTest.h"

namespace id = win32::id;
using namespace win32test;

namespace {

class Win32ScreenAndKeys : public Win32WindowTest {
 protected:
  // Opens every dialog in turn from the main window (the progress window has its own test)
  // and hands each to check.
  void OpenEveryDialog(const std::function<void(HWND)>& check) {
    Select(Conds(), kAddr);
    Then([&](HWND dlg) { check(dlg); });
    Click(id::kDetail);

    Then([&](HWND info) {
      check(info);
      Then([&](HWND actions) { check(actions); });
      Click(info, id::kOpenActions);
    });
    Select(Users(), 0);
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(id::kMiUserInfo, 0), 0);

    Then([&](HWND profiles) {
      check(profiles);
      Then([&](HWND detail) { check(detail); });
      Click(profiles, id::kSave);
    });
    Click(id::kProfiles);
  }
};

// A message font larger than the layout's (10.5 points at 96 dpi, as "Make text bigger" gives
// it) grows every window with it; no text is cut, no control leaves its window.
TEST_F(Win32ScreenAndKeys, ALargerMessageFontGrowsEveryWindowAndCutsNoText) {
  LOGFONTW lf{};
  lf.lfHeight = -14;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  win32::UseMessageFont(&lf);
  EXPECT_GT(win32::LayoutScale(), 1150);
  Standard();
  Open();
  RECT rc{};
  GetClientRect(Main(), &rc);
  EXPECT_GE(rc.right, win32::Scale(690));
  ExpectNothingCutOff(Main());
  std::vector<std::string> checked;
  OpenEveryDialog([&](HWND dlg) {
    checked.push_back(Text(dlg));
    ExpectNothingCutOff(dlg);
  });
  EXPECT_EQ(checked, (std::vector<std::string>{"Orvane Conduit Detail Information", "User Information",
                                               "HotSync Actions - Alice", "Orvane Profiles", "Profile Details"}));
}

// F1 (the WM_HELP that the system sends to the focused control) runs the main window's Help in
// the main window and in every dialog over it; the dialog stays open. There is no help page
// beside the test program, so Help says so.
TEST_F(Win32ScreenAndKeys, F1RunsHelpFromTheMainWindowAndEveryDialog) {
  Standard();
  Open();
  const auto pressF1 = [](HWND window) {
    HWND focus = GetWindow(window, GW_CHILD);
    HELPINFO hi{};
    hi.cbSize = sizeof hi;
    hi.iContextType = HELPINFO_WINDOW;
    hi.iCtrlId = GetDlgCtrlID(focus);
    hi.hItemHandle = focus;
    // Sent to the control: its own window procedure hands it up to the dialog.
    SendMessageW(focus, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
  };
  std::vector<std::string> open;
  pressF1(Main());
  OpenEveryDialog([&](HWND dlg) {
    pressF1(dlg);
    if (IsWindowVisible(dlg)) open.push_back(Text(dlg));
  });
  EXPECT_EQ(open.size(), 5u) << "a dialog closed on F1";
  ASSERT_EQ(m_said.size(), 6u);
  for (const Said& said : m_said) {
    EXPECT_EQ(said.text.rfind("The help page ", 0), 0u) << said.text;
    EXPECT_NE(said.text.find("was not found."), std::string::npos) << said.text;
    EXPECT_EQ(said.owner, Main());
  }
}

// The banner panel and the two buttons on it are white, except under High Contrast, where they
// take the window colour of the system's scheme (and its text colour).
TEST_F(Win32ScreenAndKeys, HighContrastPaintsTheBannerPanelInTheSystemsColours) {
  Standard();
  Open();
  for (const bool bOn : {false, true}) {
    SCOPED_TRACE(bOn ? "High Contrast" : "normal");
    win32::UseHighContrast(bOn);
    HDC dc = GetDC(Main());
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(Main(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Ctl(id::kHelp))));
    const COLORREF back = GetBkColor(dc);
    ReleaseDC(Main(), dc);
    EXPECT_EQ(brush, bOn ? GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(back, bOn ? GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255));
  }
}

// A description with a character that the ANSI code page (Windows-1252 here) cannot hold is
// refused with the dialog's message and the reason, and no profile is saved; Windows would
// otherwise store '?' or a look-alike ('L' for '\u0141').
TEST_F(Win32ScreenAndKeys, ADescriptionOutsideTheCodePageIsRefusedNotChanged) {
  if (GetACP() != 1252) GTEST_SKIP() << "the cases are written for Windows-1252, this runs with " << GetACP();
  const struct {
    const char* what;
    const wchar_t* typed;
  } cases[] = {{"a best-fit look-alike", L"\u0141\u00f3d\u017a office"},
               {"no place at all", L"\u65e5\u672c"},
               {"a character beyond the 16-bit plane", L"Palm \U0001F334"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Standard();
    Open();
    bool stayed = false;
    int listed = -1;
    Then([&](HWND profiles) {
      Then([&](HWND detail) {
        SendMessageW(GetDlgItem(detail, id::kDesc), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
        Click(detail, IDOK);
        stayed = IsWindowVisible(detail) != FALSE;
        Click(detail, IDCANCEL);
      });
      Click(profiles, id::kSave);
      listed = ListView_GetItemCount(GetDlgItem(profiles, id::kProfList));
      Click(profiles, IDCANCEL);
    });
    Click(id::kProfiles);
    EXPECT_TRUE(stayed) << "the details dialog stays open";
    EXPECT_EQ(listed, 0) << "no profile saved";
    ASSERT_EQ(m_said.size(), 1u);
    EXPECT_EQ(m_said[0].text, std::string(kInvalidProfileDescription) + " " + kDescriptionOutsideCodePage);
    EXPECT_EQ(m_said[0].caption, "Orvane Error");
    EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Error);
    TearDown();
    SetUp();
  }
}

}  // namespace
