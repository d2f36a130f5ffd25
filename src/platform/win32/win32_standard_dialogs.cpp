// The standard dialogs of the Windows build: the input, list and edit
// dialogs run the templates INPUT, LISTBOX1..8 and EDITBOX1..2 of the
// runner's resources with the procedures below; the file dialogs are
// comdlg32's. Every dialog is owned by the main window when it exists.
#include "platform/win32/win32_util.h"

#include <commdlg.h>

#include <algorithm>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

constexpr int kPromptId = 100;
constexpr int kEditId = 101;  // the edit, or the list box of a list dialog
constexpr int kCopyId = 102;
constexpr int kCutId = 103;
constexpr int kPasteId = 104;
constexpr size_t kMaxEditLines = 10000;

// What a dialog procedure works on, handed over with WM_INITDIALOG and kept
// in the dialog's user data.
template <typename T>
T* DialogData(HWND dialog, UINT message, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
  return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Runs a template modally; true when it ended with 1 (OK). A template that
// cannot be shown (-1) counts as Cancel.
template <typename T>
bool RunTemplate(Win32Screen& screen, const std::string& name, DLGPROC procedure, T& data) {
  const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), name.c_str(), Window(screen.MainWindow()),
                                    procedure, reinterpret_cast<LPARAM>(&data));
  return r == 1;
}

bool HasText(HWND dialog, int id) { return GetWindowTextLengthA(GetDlgItem(dialog, id)) > 0; }

// OK pressed while it is disabled (by a key that reaches the dialog anyway)
// does nothing.
bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }

struct InputData {
  std::string caption, prompt;
  std::string* text;
};

INT_PTR CALLBACK InputProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = DialogData<InputData>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, kEditId, EM_LIMITTEXT, 254, 0);
      if (!d->caption.empty()) SetWindowTextA(dialog, d->caption.c_str());
      SetDlgItemTextA(dialog, kPromptId, d->prompt.c_str());
      SetDlgItemTextA(dialog, kEditId, d->text->c_str());
      SendDlgItemMessageA(dialog, kEditId, EM_SETSEL, 0, -1);
      return TRUE;
    case WM_COMMAND:
      switch (LowWord(wparam)) {
        case kEditId:
          if (HighWord(wparam) == EN_CHANGE) EnableWindow(GetDlgItem(dialog, IDOK), HasText(dialog, kEditId));
          return TRUE;
        case IDOK: {
          if (!OkEnabled(dialog)) return TRUE;
          char buf[255] = {0};
          GetDlgItemTextA(dialog, kEditId, buf, sizeof buf);
          d->text->assign(buf);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

struct ListData {
  std::string caption;
  const std::vector<std::string>* items;
  int32_t* selection;
  std::string* text;
};

INT_PTR CALLBACK ListProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = DialogData<ListData>(dialog, message, lparam);
  if (!d) return FALSE;
  HWND list = GetDlgItem(dialog, kEditId);
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowTextA(dialog, d->caption.c_str());
      size_t longest = 0;
      for (const std::string& item : *d->items) longest = std::max(longest, item.size());
      SendMessageA(list, LB_SETHORIZONTALEXTENT, 9 * longest, 0);
      for (const std::string& item : *d->items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LowWord(wparam)) {
        case kEditId: {
          const unsigned notification = HighWord(wparam);
          if (notification != LBN_SELCHANGE && notification != LBN_DBLCLK) return TRUE;
          const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
          *d->selection = static_cast<int32_t>(selected);
          d->text->clear();
          const LRESULT length = selected >= 0 ? SendMessageA(list, LB_GETTEXTLEN, selected, 0) : LB_ERR;
          if (length >= 0 && length <= 255) {
            char buf[256] = {0};
            SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(buf));
            d->text->assign(buf);
          }
          if (notification == LBN_DBLCLK) EndDialog(dialog, 1);
          return TRUE;
        }
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

struct EditData {
  std::string caption;
  std::string text;
  std::vector<std::string>* lines;
};

INT_PTR CALLBACK EditProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = DialogData<EditData>(dialog, message, lparam);
  if (!d) return FALSE;
  HWND edit = GetDlgItem(dialog, kEditId);
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, d->caption.c_str());
      SetWindowTextA(edit, d->text.c_str());
      SendMessageA(edit, EM_SETSEL, 0, -1);
      return TRUE;
    case WM_COMMAND:
      switch (LowWord(wparam)) {
        case kEditId: {
          if (HighWord(wparam) == EN_CHANGE) EnableWindow(GetDlgItem(dialog, IDOK), HasText(dialog, kEditId));
          // Copy and cut follow the selection query: enabled unless it
          // gives 0 (caret and selection at the start).
          const BOOL selected = SendMessageA(edit, EM_GETSEL, 0, 0) != 0;
          EnableWindow(GetDlgItem(dialog, kCopyId), selected);
          EnableWindow(GetDlgItem(dialog, kCutId), selected);
          return TRUE;
        }
        case kCopyId:
          SendMessageA(edit, WM_COPY, 0, 0);
          return TRUE;
        case kCutId:
          SendMessageA(edit, WM_CUT, 0, 0);
          return TRUE;
        case kPasteId:
          SendMessageA(edit, WM_PASTE, 0, 0);
          return TRUE;
        case IDOK: {
          if (!OkEnabled(dialog)) return TRUE;
          const size_t count = std::min<size_t>(static_cast<size_t>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0)),
                                                kMaxEditLines);
          d->lines->clear();
          for (size_t i = 0; i < count; ++i) d->lines->push_back(EditControlLine(edit, i));
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool Win32Dialogs::RunInputDialog(std::string_view caption, std::string_view prompt, std::string& text) {
  InputData data{std::string(caption), std::string(prompt), &text};
  return RunTemplate(screen_, "INPUT", InputProcedure, data);
}

bool Win32Dialogs::RunListDialog(std::string_view caption, int style, const std::vector<std::string>& items,
                                 int32_t& selection, std::string& text) {
  text.clear();
  ListData data{std::string(caption), &items, &selection, &text};
  return RunTemplate(screen_, "LISTBOX" + std::to_string(style), ListProcedure, data);
}

bool Win32Dialogs::RunEditDialog(std::string_view caption, int style, std::string_view text,
                                 std::vector<std::string>& lines) {
  EditData data{std::string(caption), std::string(text), &lines};
  return RunTemplate(screen_, "EDITBOX" + std::to_string(style), EditProcedure, data);
}

bool Win32Dialogs::RunFileDialog(bool save, std::string_view caption, std::string_view filter,
                                 std::string_view default_extension, std::string& name) {
  std::string filters(filter);
  filters.append(2, '\0');  // the list ends with an empty description
  const std::string title(caption), extension(default_extension);
  char buf[256] = {0};
  name.copy(buf, sizeof buf - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Window(screen_.MainWindow());
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buf;
  ofn.nMaxFile = sizeof buf;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = save ? OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY
                   : OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  const bool ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  name.assign(buf);  // written back whether chosen or not
  return ok;
}

std::vector<std::string> Win32Dialogs::TopLevelWindowTitles() {
  std::vector<std::string> titles;
  HWND w = GetWindow(GetDesktopWindow(), GW_CHILD);
  if (w) w = GetWindow(w, GW_HWNDFIRST);
  for (; w; w = GetWindow(w, GW_HWNDNEXT)) {
    char buf[256] = {0};
    const LRESULT n = SendMessageA(w, WM_GETTEXT, 255, reinterpret_cast<LPARAM>(buf));
    titles.emplace_back(buf, static_cast<size_t>(std::clamp<LRESULT>(n, 0, 255)));
  }
  return titles;
}

}  // namespace vestil
