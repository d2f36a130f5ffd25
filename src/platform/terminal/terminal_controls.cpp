// The console runner has no windows to put controls in: creations give the
// handle 0 and calls on a handle give what an invalid handle gives on
// Windows (SendMessage and the window calls answer 0).
#include "platform/terminal/terminal_host.h"

namespace vestil {

int32_t TerminalControls::CreateControl(std::string_view, uint32_t, std::string_view, int32_t,
                                        const ControlPlace&, int32_t) {
  return 0;
}
void TerminalControls::InitCommonControls() {}
void TerminalControls::UseScriptFont(int32_t) {}
void TerminalControls::SetScrollRange(int32_t, int32_t, int32_t) {}
int32_t TerminalControls::CreateEmptyDialog(int32_t, std::string_view, const ControlPlace&) { return 0; }
int32_t TerminalControls::LoadDialog(int32_t, int32_t, std::string_view) { return 0; }
int32_t TerminalControls::CreateScriptWindow(int32_t, std::string_view, uint32_t, const ControlPlace&) {
  return 0;
}
int32_t TerminalControls::Send(int32_t, uint32_t, int32_t, int32_t) { return 0; }
int32_t TerminalControls::SendText(int32_t, uint32_t, int32_t, std::string_view) { return 0; }
std::string TerminalControls::WindowText(int32_t) { return std::string(); }
std::string TerminalControls::EditLine(int32_t, int32_t) { return std::string(); }
std::string TerminalControls::ListItem(int32_t, int32_t) { return std::string(); }
int32_t TerminalControls::DialogItem(int32_t, int32_t) { return 0; }
int32_t TerminalControls::ActiveWindow() { return 0; }
int32_t TerminalControls::Activate(int32_t) { return 0; }
int32_t TerminalControls::Focus(int32_t) { return 0; }
bool TerminalControls::Show(int32_t, int32_t) { return false; }
bool TerminalControls::Destroy(int32_t) { return false; }

}  // namespace vestil
