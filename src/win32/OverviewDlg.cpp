// The overview window and its grid.
#include "src/win32/OverviewDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace ovw = overview;
namespace id = win32::id;

constexpr int kMargin = 12;
constexpr int kButtonHeight = 27;
constexpr int kGridY = 40;
constexpr int kLegendHeight = 60;
constexpr int kButtonY = ovw::kClientHeight - kMargin - kButtonHeight;
constexpr int kStatusY = kButtonY - 24;
constexpr int kLegendY = kStatusY - 6 - kLegendHeight;
constexpr int kGridHeight = kLegendY - 8 - kGridY;
// The rows not drawn yet are read a slice at a time from a timer while the window is idle.
constexpr UINT_PTR kReadTimer = 1;
constexpr std::chrono::milliseconds kReadSlice{20};

const wchar_t kGridClass[] = L"OrvaneOverviewGrid";
const wchar_t kLegendClass[] = L"OrvaneOverviewLegend";

// Under High Contrast every cell takes the system's colours and the labels alone tell the kinds
// apart: a tint would fight the colours the user chose.
bool HighContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF Colour(CellKind kind) {
  const Rgb c = CellBackground(kind);
  return RGB(c.r, c.g, c.b);
}

void Fill(HDC dc, const RECT& rc, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void DrawTextIn(HDC dc, const std::string& text, RECT rc, UINT format) {
  const std::wstring wide = win32::Wide(text);
  InflateRect(&rc, -win32::Scale(4), 0);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rc,
            format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

HFONT BoldOf(HFONT font) {
  LOGFONTW lf{};
  if (!GetObjectW(font, sizeof lf, &lf)) return nullptr;
  lf.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&lf);
}

// The legend: a swatch with each kind's label and what it means, three to a line.
LRESULT CALLBACK LegendProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  Fill(dc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, win32::MessageFont());
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int lineHeight = tm.tmHeight + win32::Scale(4);
  const bool bHc = HighContrast();
  const int titleWidth = win32::Scale(60), swatchWidth = win32::Scale(70);
  const int entryWidth = (client.right - titleWidth) / 3;
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT title{0, 0, titleWidth, lineHeight};
  DrawTextIn(dc, ovw::kLegendTitle, title, DT_LEFT);
  int i = 0;
  for (const LegendEntry& e : OverviewLegend()) {
    const int x = titleWidth + (i % 3) * entryWidth, y = (i / 3) * lineHeight;
    RECT swatch{x, y + 1, x + swatchWidth, y + lineHeight - 1};
    const bool bTint = !bHc && e.kind != CellKind::Unread;
    Fill(dc, swatch, bTint ? Colour(e.kind) : GetSysColor(COLOR_WINDOW));
    FrameRect(dc, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
    SetTextColor(dc, bTint ? RGB(0, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
    DrawTextIn(dc, e.szLabel, swatch, DT_CENTER);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT meaning{x + swatchWidth + win32::Scale(4), y, x + entryWidth, y + lineHeight};
    DrawTextIn(dc, e.szMeaning, meaning, DT_LEFT);
    ++i;
  }
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
  return 0;
}

void RegisterLegend() {
  static bool bDone = false;
  if (bDone) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = LegendProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kLegendClass;
  bDone = RegisterClassW(&wc) != 0;
}

}  // namespace

// The grid: row headers (users) on the left and column headers (conduits) on top stay in view;
// the cells scroll by whole rows and columns. A row is selected with the mouse or the arrow
// keys; a double click or Enter opens it.
class OverviewGrid {
 public:
  static void Register() {
    static bool bDone = false;
    if (bDone) return;
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kGridClass;
    bDone = RegisterClassW(&wc) != 0;
  }
  OverviewGrid(OverviewLogic& logic, HWND hwnd) : m_logic(logic), m_hwnd(hwnd) {
    m_bold = BoldOf(win32::MessageFont());
    Measure();
  }
  ~OverviewGrid() {
    if (m_bold) DeleteObject(m_bold);
  }
  int Selected() const { return m_nSelected; }
  // The logic's rows, order or headers changed.
  void Refresh() {
    Measure();
    Clamp();
    InvalidateRect(m_hwnd, nullptr, FALSE);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<OverviewGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) return self->Handle(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  // Row height from the font, column widths from the headers' titles.
  void Measure() {
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = SelectObject(dc, m_bold ? m_bold : win32::MessageFont());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    m_rowHeight = tm.tmHeight + win32::Scale(6);
    m_headerWidth = win32::Scale(ovw::kUserColumnWidth);
    m_widths.assign(m_logic.ColumnCount(), win32::Scale(ovw::kCellWidth));
    for (std::size_t col = 0; col < m_widths.size(); ++col) {
      const std::wstring title = win32::Wide(m_logic.ColumnHeader(col));
      SIZE size{};
      GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &size);
      m_widths[col] = std::max(m_widths[col], static_cast<int>(size.cx) + win32::Scale(12));
    }
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
  }
  RECT Client() const {
    RECT rc{};
    GetClientRect(m_hwnd, &rc);
    return rc;
  }
  int VisibleRows() const { return std::max(1, static_cast<int>((Client().bottom - m_rowHeight) / m_rowHeight)); }
  int VisibleColumnsFrom(int first) const {
    int x = m_headerWidth, n = 0;
    for (std::size_t col = static_cast<std::size_t>(first); col < m_widths.size(); ++col) {
      x += m_widths[col];
      if (x > Client().right && n > 0) break;
      ++n;
    }
    return std::max(1, n);
  }
  void Clamp() {
    const int nRows = static_cast<int>(m_logic.RowCount()), nCols = static_cast<int>(m_logic.ColumnCount());
    m_top = std::max(0, std::min(m_top, nRows - VisibleRows()));
    m_left = std::max(0, std::min(m_left, nCols - 1));
    if (m_nSelected >= nRows) m_nSelected = nRows - 1;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, std::max(0, nRows - 1),
                  static_cast<UINT>(VisibleRows()), m_top, 0};
    SetScrollInfo(m_hwnd, SB_VERT, &si, TRUE);
    SCROLLINFO sh{sizeof sh, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, std::max(0, nCols - 1),
                  static_cast<UINT>(VisibleColumnsFrom(m_left)), m_left, 0};
    SetScrollInfo(m_hwnd, SB_HORZ, &sh, TRUE);
  }
  void ScrollTo(int top, int left) {
    m_top = top;
    m_left = left;
    Clamp();
    InvalidateRect(m_hwnd, nullptr, FALSE);
  }
  void Select(int row) {
    const int nRows = static_cast<int>(m_logic.RowCount());
    if (nRows == 0) return;
    row = std::max(0, std::min(row, nRows - 1));
    m_nSelected = row;
    if (row < m_top) m_top = row;
    if (row >= m_top + VisibleRows()) m_top = row - VisibleRows() + 1;
    ScrollTo(m_top, m_left);
    Notify(id::kGridSelChange);
  }
  void Notify(int code) {
    SendMessageW(GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(id::kOverviewGrid, code), reinterpret_cast<LPARAM>(m_hwnd));
  }
  static int ScrollPos(int current, int code, int page, int thumb) {
    switch (code) {
      case SB_LINEUP: return current - 1;
      case SB_LINEDOWN: return current + 1;
      case SB_PAGEUP: return current - page;
      case SB_PAGEDOWN: return current + page;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: return thumb;
      case SB_TOP: return 0;
      case SB_BOTTOM: return 0x7FFFFFFF / 2;
      default: return current;
    }
  }
  int TrackPos(int bar) const {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(m_hwnd, bar, &si);
    return si.nTrackPos;
  }

  void Paint(HDC target) {
    const RECT client = Client();
    // Drawn off the screen first: a grid repainted cell by cell would flicker while scrolling.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, win32::MessageFont());
    const bool bHc = HighContrast();
    const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT),
                   window = GetSysColor(COLOR_WINDOW), line = GetSysColor(COLOR_BTNSHADOW);
    Fill(dc, client, window);
    SetBkMode(dc, TRANSPARENT);

    // Column headers.
    RECT corner{0, 0, m_headerWidth, m_rowHeight};
    Fill(dc, corner, face);
    int x = m_headerWidth;
    std::vector<std::pair<int, int>> columns;  // column, left edge
    for (std::size_t col = static_cast<std::size_t>(m_left); col < m_widths.size() && x < client.right; ++col) {
      RECT rc{x, 0, x + m_widths[col], m_rowHeight};
      Fill(dc, rc, face);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextIn(dc, m_logic.ColumnHeader(col), rc, DT_CENTER);
      columns.emplace_back(static_cast<int>(col), x);
      x += m_widths[col];
    }
    // Rows: the header, then the visible cells (reading a row not read yet).
    const int nRows = static_cast<int>(m_logic.RowCount());
    for (int row = m_top, y = m_rowHeight; row < nRows && y < client.bottom; ++row, y += m_rowHeight) {
      const bool bSelected = row == m_nSelected;
      RECT head{0, y, m_headerWidth, y + m_rowHeight};
      Fill(dc, head, bSelected ? GetSysColor(COLOR_HIGHLIGHT) : face);
      SetTextColor(dc, bSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_BTNTEXT));
      DrawTextIn(dc, m_logic.RowHeader(static_cast<std::size_t>(row)), head, DT_LEFT);
      for (const auto& [col, left] : columns) {
        const CellShown cell = m_logic.Cell(static_cast<std::size_t>(row), static_cast<std::size_t>(col));
        RECT rc{left, y, left + m_widths[static_cast<std::size_t>(col)], y + m_rowHeight};
        const bool bTint = !bHc && (!m_logic.IsDiffersOnly() || cell.bMarked);
        Fill(dc, rc, bTint ? Colour(cell.kind) : window);
        SetTextColor(dc, bTint ? RGB(0, 0, 0) : text);
        SelectObject(dc, (cell.bMarked || cell.kind == CellKind::Failed) && m_bold ? m_bold : win32::MessageFont());
        DrawTextIn(dc, cell.text, rc, DT_CENTER);
        SelectObject(dc, win32::MessageFont());
      }
      if (bSelected && GetFocus() == m_hwnd) {
        RECT focus{m_headerWidth, y, x, y + m_rowHeight};
        DrawFocusRect(dc, &focus);
      }
    }
    // Grid lines.
    HPEN pen = CreatePen(PS_SOLID, 1, line);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int bottom = std::min(static_cast<int>(client.bottom), m_rowHeight * (1 + std::max(0, nRows - m_top)));
    for (const auto& [col, left] : columns) {
      MoveToEx(dc, left - 1, 0, nullptr);
      LineTo(dc, left - 1, bottom);
    }
    MoveToEx(dc, x - 1, 0, nullptr);
    LineTo(dc, x - 1, bottom);
    for (int y = m_rowHeight - 1; y < bottom; y += m_rowHeight) {
      MoveToEx(dc, 0, y, nullptr);
      LineTo(dc, x, y);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  int RowAt(int y) const {
    if (y < m_rowHeight) return -1;
    const int row = m_top + (y - m_rowHeight) / m_rowHeight;
    return row < static_cast<int>(m_logic.RowCount()) ? row : -1;
  }

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
      }
      case WM_ERASEBKGND: return 1;
      case WM_SIZE: Clamp(); return 0;
      case WM_VSCROLL:
        ScrollTo(ScrollPos(m_top, LOWORD(wp), VisibleRows(), TrackPos(SB_VERT)), m_left);
        return 0;
      case WM_HSCROLL:
        ScrollTo(m_top, ScrollPos(m_left, LOWORD(wp), VisibleColumnsFrom(m_left), TrackPos(SB_HORZ)));
        return 0;
      case WM_MOUSEWHEEL: {
        m_wheel += GET_WHEEL_DELTA_WPARAM(wp);
        const int notches = m_wheel / WHEEL_DELTA;
        m_wheel -= notches * WHEEL_DELTA;
        ScrollTo(m_top - 3 * notches, m_left);
        return 0;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        SetFocus(m_hwnd);
        const int row = RowAt(static_cast<short>(HIWORD(lp)));
        if (row >= 0) {
          Select(row);
          if (msg == WM_LBUTTONDBLCLK) Notify(id::kGridOpen);
        }
        return 0;
      }
      case WM_SETFOCUS:
      case WM_KILLFOCUS: InvalidateRect(m_hwnd, nullptr, FALSE); return 0;
      case WM_GETDLGCODE:
        // The arrows move the selection, and Enter opens the row rather than pressing Close.
        if (lp && reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN &&
            reinterpret_cast<const MSG*>(lp)->wParam == VK_RETURN) {
          return DLGC_WANTALLKEYS;
        }
        return DLGC_WANTARROWS;
      case WM_KEYDOWN:
        switch (wp) {
          case VK_UP: Select(m_nSelected - 1); return 0;
          case VK_DOWN: Select(m_nSelected + 1); return 0;
          case VK_PRIOR: Select(m_nSelected - VisibleRows()); return 0;
          case VK_NEXT: Select(std::max(0, m_nSelected) + VisibleRows()); return 0;
          case VK_HOME: Select(0); return 0;
          case VK_END: Select(static_cast<int>(m_logic.RowCount()) - 1); return 0;
          case VK_LEFT: ScrollTo(m_top, m_left - 1); return 0;
          case VK_RIGHT: ScrollTo(m_top, m_left + 1); return 0;
          case VK_RETURN:
            if (m_nSelected >= 0) Notify(id::kGridOpen);
            return 0;
          default: break;
        }
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        break;
      default: break;
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
  }

  OverviewLogic& m_logic;
  HWND m_hwnd;
  HFONT m_bold = nullptr;
  std::vector<int> m_widths;
  int m_rowHeight = 20;
  int m_headerWidth = 170;
  int m_top = 0, m_left = 0;
  int m_nSelected = -1;
  int m_wheel = 0;
};

OverviewDlg::OverviewDlg(OverviewLogic& logic) : m_logic(logic) { m_logic.SetView(this); }

OverviewDlg::~OverviewDlg() {
  m_logic.SetView(nullptr);
  // The window may outlive this object by a moment: it must not reach the state any more.
  if (m_grid && IsWindow(m_grid)) SetWindowLongPtrW(m_grid, GWLP_USERDATA, 0);
}

void OverviewDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, ovw::kCaption);
  const int width = ovw::kClientWidth - 2 * kMargin;

  win32::MakeControl(hwnd, WC_BUTTONW, ovw::kDiffersOnly, BS_AUTOCHECKBOX | WS_TABSTOP, kMargin, 12, 320, 20,
                     id::kOverviewDiffers);
  win32::MakeControl(hwnd, WC_BUTTONW, ovw::kSortByDifferences, BS_AUTOCHECKBOX | WS_TABSTOP, kMargin + 340, 12, 240,
                     20, id::kOverviewSort);

  OverviewGrid::Register();
  m_grid = win32::MakeControl(hwnd, kGridClass, "", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, kMargin, kGridY, width,
                              kGridHeight, id::kOverviewGrid, WS_EX_CLIENTEDGE);
  if (m_grid) {
    m_pGrid = std::make_unique<OverviewGrid>(m_logic, m_grid);
    SetWindowLongPtrW(m_grid, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_pGrid.get()));
    m_pGrid->Refresh();
  }
  RegisterLegend();
  win32::MakeControl(hwnd, kLegendClass, "", 0, kMargin, kLegendY, width, kLegendHeight, id::kOverviewLegend);
  win32::MakeLabel(hwnd, "", kMargin, kStatusY, width, 20, id::kOverviewStatus);

  win32::MakeButton(hwnd, ovw::kTickDiffering, kMargin, kButtonY, 150, kButtonHeight, id::kOverviewTick);
  win32::MakeButton(hwnd, ovw::kUserActions, kMargin + 158, kButtonY, 150, kButtonHeight, id::kOverviewActions);
  win32::MakeButton(hwnd, ovw::kClose, ovw::kClientWidth - kMargin - 80, kButtonY, 80, kButtonHeight, IDOK, true);
  EnableWindow(GetDlgItem(hwnd, id::kOverviewActions), FALSE);

  StatusChanged();
  win32::SizeAndCentre(hwnd, ovw::kClientWidth, ovw::kClientHeight);
  SetTimer(hwnd, kReadTimer, 10, nullptr);
}

void OverviewDlg::TableChanged() {
  if (m_pGrid) m_pGrid->Refresh();
}

void OverviewDlg::StatusChanged() {
  HWND status = GetDlgItem(Hwnd(), id::kOverviewStatus);
  if (status) win32::SetControlText(status, m_logic.StatusText());
}

ov::MessageAnswer OverviewDlg::ShowMessage(const ov::MessageRequest& request) {
  return win32::ShowMessageBox(Hwnd(), request);
}

void OverviewDlg::ProgressBegin(const std::string& caption, int nTotal) { m_progress.Begin(Hwnd(), caption, nTotal); }
bool OverviewDlg::ProgressStep(int nDone, const std::string& text) { return m_progress.Step(nDone, text); }
void OverviewDlg::ProgressEnd() { m_progress.End(); }

bool OverviewDlg::OnCommand(int cmd, int code, HWND /*control*/) {
  HWND hwnd = Hwnd();
  switch (cmd) {
    case id::kOverviewDiffers:
      m_logic.SetDiffersOnly(IsDlgButtonChecked(hwnd, id::kOverviewDiffers) == BST_CHECKED);
      return true;
    case id::kOverviewSort:
      if (!m_logic.SetSortByDifferences(IsDlgButtonChecked(hwnd, id::kOverviewSort) == BST_CHECKED)) {
        // Cancelled while reading: the order stays as it was.
        CheckDlgButton(hwnd, id::kOverviewSort, m_logic.IsSortedByDifferences() ? BST_CHECKED : BST_UNCHECKED);
      }
      return true;
    case id::kOverviewTick: m_logic.btnTickDifferingClick(); return true;
    case id::kOverviewActions:
      if (m_pGrid) m_logic.btnUserActionsClick(m_pGrid->Selected());
      return true;
    case id::kOverviewGrid:
      if (!m_pGrid) return true;
      if (code == id::kGridSelChange) {
        EnableWindow(GetDlgItem(hwnd, id::kOverviewActions), m_pGrid->Selected() >= 0 ? TRUE : FALSE);
      } else if (code == id::kGridOpen) {
        m_logic.btnUserActionsClick(m_pGrid->Selected());
      }
      return true;
    case IDOK:
    case IDCANCEL:
      KillTimer(hwnd, kReadTimer);
      End(cmd);
      return true;
    default: return false;
  }
}

bool OverviewDlg::OnMessage(UINT msg, WPARAM wp, LPARAM /*lp*/, LRESULT* result) {
  if (msg != WM_TIMER || wp != kReadTimer) return false;
  if (!m_logic.ReadMore(kReadSlice)) KillTimer(Hwnd(), kReadTimer);
  *result = 0;
  return true;
}
