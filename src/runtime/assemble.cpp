// The assembly of the runtime. The interpreter knows no family above it;
// here each family registers its handlers and installs its state. A family
// registered later replaces what an earlier one put in the same place.
#include "runtime/assemble.h"

#include "core/control_flow.h"
#include "core/program_control.h"
#include "data/channels.h"
#include "data/dates.h"
#include "data/dbase.h"
#include "data/dll_calls.h"
#include "data/odbc.h"
#include "data/profile.h"
#include "data/serial.h"
#include "data/sound/sound_statements.h"
#include "dialogs/dialog_functions.h"
#include "dialogs/list_statements.h"
#include "dialogs/menu_statements.h"
#include "gui/bitmap_statements.h"
#include "gui/console_font.h"
#include "gui/control_functions.h"
#include "gui/draw_statements.h"
#include "gui/event_functions.h"
#include "gui/icon_statements.h"
#include "gui/print_statements.h"
#include "gui/text_console.h"
#include "gui/text_statements.h"
#include "gui/wait_statements.h"
#include "gui/window_control_statements.h"
#include "gui/window_functions.h"
#include "gui/window_statements.h"
#include "values/convert.h"
#include "values/dispatch.h"
#include "values/ports.h"
#include "values/system_functions.h"
#include "values/variables.h"

namespace vestil {

std::unique_ptr<Runtime> AssembleRuntime(const Host& host) {
  auto rt = std::make_unique<Runtime>(host);
  Runtime& r = *rt;
  // The interpreter: control flow, variables, program control and the
  // computational function families.
  RegisterControlStatements(r);
  RegisterVariableStatements(r);
  RegisterVariableFunctions(r);
  RegisterProgramControlStatements(r);
  RegisterSystemVariables(r);
  RegisterArithmeticFunctions(r);
  RegisterTextFunctions(r);
  RegisterConversionFunctions(r);
  RegisterSystemFunctions(r);
  RegisterScrambling(r);
  RegisterPorts(r);
  // Windows, text and graphics.
  RegisterTextConsole(r);
  RegisterConsoleFont(r);
  RegisterWindowStatements(r);
  RegisterWindowControlStatements(r);
  RegisterWindowFunctions(r);
  RegisterWaitStatements(r);
  RegisterEventFunctions(r);
  RegisterDrawStatements(r);
  RegisterTextStatements(r);
  RegisterIconStatements(r);
  RegisterPrintStatements(r);
  RegisterBitmapStatements(r);
  // Files and data.
  RegisterFileChannels(r);
  RegisterDbase(r);
  RegisterProfile(r);
  RegisterDateFunctions(r);
  RegisterSerialPorts(r);
  RegisterLibraryCalls(r);
  RegisterSoundStatements(r);
  RegisterOdbc(r);
  // Dialogs and lists.
  RegisterListStatements(r);
  RegisterDialogFunctions(r);
  RegisterMenuStatements(r);
  RegisterControlFunctions(r);
  return rt;
}

}  // namespace vestil
