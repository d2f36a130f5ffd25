// Controls and the script's own windows on Windows. Handle numbers widen
// with their sign; a failing call gives 0, false or the empty text.
#include "platform/win32/win32_dialog_class.h"
#include "platform/win32/win32_host.h"

#include <algorithm>

namespace vestil {
namespace {

// The template of @CREATEDIALOG in the runner's resources.
constexpr char kEmptyDialogTemplate[] = "LDIALOG";
// Texts read back are at most this long.
constexpr int kTextChars = 255;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

WPARAM WParam(int32_t v) { return static_cast<WPARAM>(static_cast<intptr_t>(v)); }

std::string Received(const char* buf, LRESULT n) {
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<size_t>(std::min<LRESULT>(n, kTextChars)));
}

}  // namespace

int32_t Win32Controls::CreateControl(std::string_view class_name, uint32_t style, std::string_view text,
                                     int32_t parent, const ControlPlace& place, int32_t id) {
  const std::string name(class_name), caption(text);
  HWND w = CreateWindowExA(0, name.c_str(), caption.c_str(), style, place.x, place.y, place.width, place.height,
                           WindowFromNumber(parent), reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                           Instance(), nullptr);
  return HandleNumber(w);
}

// InitCommonControls of comctl32, reached through the library itself so the
// runner links no import library for one call.
void Win32Controls::InitCommonControls() {
  if (common_controls_) return;
  if (HMODULE library = LoadLibraryA("comctl32.dll")) {
    if (FARPROC init = GetProcAddress(library, "InitCommonControls")) {
      reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(init))();
      common_controls_ = true;
    }
  }
}

void Win32Controls::UseScriptFont(int32_t window) {
  SendMessageA(WindowFromNumber(window), WM_SETFONT, reinterpret_cast<WPARAM>(canvas_.ScriptFont()), TRUE);
}

void Win32Controls::SetScrollRange(int32_t bar, int32_t min, int32_t max) {
  ::SetScrollRange(WindowFromNumber(bar), SB_CTL, min, max, TRUE);
}

// The empty modeless dialog: the template's window with the caption, moved
// and sized, then shown.
int32_t Win32Controls::CreateEmptyDialog(int32_t parent, std::string_view caption, const ControlPlace& place) {
  HWND d = CreateDialogParamA(Instance(), kEmptyDialogTemplate, WindowFromNumber(parent), DialogTemplateProcedure,
                              reinterpret_cast<LPARAM>(&screen_));
  if (!d) return 0;
  const std::string text(caption);
  SetWindowTextA(d, text.c_str());
  SetWindowPos(d, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER);
  ShowWindow(d, SW_SHOWNORMAL);
  return HandleNumber(d);
}

int32_t Win32Controls::LoadDialog(int32_t module, int32_t parent, std::string_view name) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(module));
  if (!instance) instance = Instance();
  const std::string template_name(name);
  HWND d = CreateDialogParamA(instance, template_name.c_str(), WindowFromNumber(parent), DialogTemplateProcedure,
                              reinterpret_cast<LPARAM>(&screen_));
  if (!d) return 0;
  ShowWindow(d, SW_SHOWNORMAL);
  return HandleNumber(d);
}

// A "DIALOG" window: the class procedure finds the screen in the creation
// parameter.
int32_t Win32Controls::CreateScriptWindow(int32_t parent, std::string_view caption, uint32_t style,
                                          const ControlPlace& place) {
  const std::string text(caption);
  HWND w = CreateWindowExA(0, kDialogClassName, text.c_str(), style, place.x, place.y, place.width, place.height,
                           WindowFromNumber(parent), nullptr, Instance(), &screen_);
  if (!w) return 0;
  ShowWindow(w, SW_SHOWNORMAL);
  return HandleNumber(w);
}

int32_t Win32Controls::Send(int32_t window, uint32_t message, int32_t wparam, int32_t lparam) {
  return static_cast<int32_t>(
      SendMessageA(WindowFromNumber(window), message, WParam(wparam), static_cast<LPARAM>(lparam)));
}

int32_t Win32Controls::SendText(int32_t window, uint32_t message, int32_t wparam, std::string_view text) {
  const std::string z(text);
  return static_cast<int32_t>(
      SendMessageA(WindowFromNumber(window), message, WParam(wparam), reinterpret_cast<LPARAM>(z.c_str())));
}

std::string Win32Controls::WindowText(int32_t window) {
  char buf[kTextChars + 1] = {0};
  return Received(buf, SendMessageA(WindowFromNumber(window), WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)));
}

std::string Win32Controls::EditLine(int32_t window, int32_t line) {
  return EditControlLine(WindowFromNumber(window), WParam(line));
}

std::string Win32Controls::ListItem(int32_t window, int32_t index) {
  char buf[kTextChars + 2] = {0};
  return Received(buf, SendMessageA(WindowFromNumber(window), LB_GETTEXT, WParam(index), reinterpret_cast<LPARAM>(buf)));
}

int32_t Win32Controls::DialogItem(int32_t dialog, int32_t id) {
  return HandleNumber(GetDlgItem(WindowFromNumber(dialog), id));
}

int32_t Win32Controls::ActiveWindow() { return HandleNumber(GetActiveWindow()); }
int32_t Win32Controls::Activate(int32_t window) { return HandleNumber(SetActiveWindow(WindowFromNumber(window))); }
int32_t Win32Controls::Focus(int32_t window) { return HandleNumber(SetFocus(WindowFromNumber(window))); }
bool Win32Controls::Show(int32_t window, int32_t command) { return ShowWindow(WindowFromNumber(window), command) != 0; }
bool Win32Controls::Destroy(int32_t window) { return DestroyWindow(WindowFromNumber(window)) != 0; }

}  // namespace vestil
