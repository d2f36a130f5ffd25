// The text console in the main window: the runtime's operations painted into
// the window and its shadow copy in the cell the window was told at its
// creation, the caret of a line typed key by key, and console input left to
// the runtime's line editing.
#include "platform/win32/win32_util.h"

#include <string>
#include <vector>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

// A text run at its cells, on the target and then on the shadow copy, with
// its stock font and colours, after clearing the full cell height with the
// metric font when the run's font is another. Every character in its own
// cell: the stock fonts may advance by less than the cell width (the widest
// glyph of them all), and a span must end where the next one starts.
void DrawRun(HDC target, HDC shadow, const ConsoleCells& cells, const GridOp& run) {
  const int x = run.column * cells.cell.width, y = run.row * cells.cell.height;
  const int n = static_cast<int>(run.text.size());
  const std::vector<INT> advance(run.text.size(), cells.cell.width);
  for (HDC dc : {target, shadow}) {
    HGDIOBJ old_font = SelectObject(dc, ConsoleStockFont(run.font));
    SetTextColor(dc, run.foreground);
    SetBkColor(dc, run.background);
    SetBkMode(dc, OPAQUE);
    if (run.font != cells.metric_font) {
      SelectObject(dc, ConsoleStockFont(cells.metric_font));
      const std::string spaces(run.text.size(), ' ');
      ExtTextOutA(dc, x, y, 0, nullptr, spaces.data(), static_cast<UINT>(n), advance.data());
      SelectObject(dc, ConsoleStockFont(run.font));
    }
    ExtTextOutA(dc, x, y, 0, nullptr, run.text.data(), static_cast<UINT>(n), advance.data());
    SelectObject(dc, old_font);
  }
}

}  // namespace

// The scroll moves the client area up by one cell height and updates it; the
// shadow copy is not scrolled (the runtime draws the new blank row next).
void Win32Screen::PaintOps(const std::vector<GridOp>& ops) {
  HWND window = Window(main_window_);
  for (const GridOp& op : ops) {
    switch (op.kind) {
      case GridOp::kDrawRun:
        DrawRun(static_cast<HDC>(target_dc_), static_cast<HDC>(shadow_dc_), cells_, op);
        break;
      case GridOp::kScroll:
        ScrollWindow(window, 0, -cells_.cell.height, nullptr, nullptr);
        UpdateWindow(window);
        break;
      case GridOp::kBeep:
        MessageBeep(0);
        break;
    }
  }
}

void Win32Screen::ShowText(std::string_view, const std::vector<GridOp>& ops) {
  if (main_window_ && target_dc_) PaintOps(ops);
  PumpMessages();
}

// The window reads no lines: its keys go to the event record, from which the
// runtime edits the line and writes the echo.
LineRead Win32Screen::ReadLine(std::string&, size_t) {
  return EnsureMainWindow() ? LineRead::kByKeys : LineRead::kNoConsole;
}

// The caret: an underline one cell wide and 2 pixels high at the baseline,
// while the window has the focus.
void Win32Screen::ShowCaret(int column, int row) {
  if (!main_window_ || !has_focus_) {
    HideCaret();
    return;
  }
  const int x = column * cells_.cell.width, y = row * cells_.cell.height + cells_.cell.ascent;
  if (!caret_window_) {
    if (!CreateCaret(Window(main_window_), nullptr, cells_.cell.width, 2)) return;
    caret_window_ = main_window_;
    SetCaretPos(x, y);
    ::ShowCaret(Window(main_window_));
  } else {
    SetCaretPos(x, y);
  }
}

void Win32Screen::HideCaret() {
  if (!caret_window_) return;
  ::HideCaret(Window(caret_window_));
  DestroyCaret();
  caret_window_ = nullptr;
}

}  // namespace vestil
