#pragma once
// The "DIALOG" class of the script's own additional windows and the dialog
// procedure of windows made from dialog templates (win32_dialog_class.cpp).
//
// A "DIALOG" window is created with the Win32Screen as its creation
// parameter (CreateWindow's last argument); a template window with the
// Win32Screen as the WM_INITDIALOG parameter of DialogTemplateProcedure
// (CreateDialogParam). Both then report to the script's event record.
#include "platform/win32/win32_util.h"

namespace vestil {

inline constexpr char kDialogClassName[] = "DIALOG";

INT_PTR CALLBACK DialogTemplateProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// A handle as a script holds it (32 bits; window handles are sign-extended).
inline HWND WindowFromNumber(int32_t n) { return reinterpret_cast<HWND>(static_cast<intptr_t>(n)); }

}  // namespace vestil
