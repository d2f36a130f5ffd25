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

namespace {

// The families in the order they register; a later one replaces what an
// earlier one put in the same place.
using Registration = void (*)(Runtime&);
constexpr Registration kFamilies[] = {
    // The interpreter: control flow, variables, program control and the
    // computational function families.
    RegisterControlStatements,
    RegisterVariableStatements,
    RegisterVariableFunctions,
    RegisterProgramControlStatements,
    RegisterSystemVariables,
    RegisterArithmeticFunctions,
    RegisterTextFunctions,
    RegisterConversionFunctions,
    RegisterSystemFunctions,
    RegisterScrambling,
    RegisterPorts,
    // Windows, text and graphics.
    RegisterTextConsole,
    RegisterConsoleFont,
    RegisterWindowStatements,
    RegisterWindowControlStatements,
    RegisterWindowFunctions,
    RegisterWaitStatements,
    RegisterEventFunctions,
    RegisterDrawStatements,
    RegisterTextStatements,
    RegisterIconStatements,
    RegisterPrintStatements,
    RegisterBitmapStatements,
    // Files and data.
    RegisterFileChannels,
    RegisterDbase,
    RegisterProfile,
    RegisterDateFunctions,
    RegisterSerialPorts,
    RegisterLibraryCalls,
    RegisterSoundStatements,
    RegisterOdbc,
    // Dialogs and lists.
    RegisterListStatements,
    RegisterDialogFunctions,
    RegisterMenuStatements,
    RegisterControlFunctions,
};

}  // namespace

std::unique_ptr<Runtime> AssembleRuntime(const Host& host) {
  auto rt = std::make_unique<Runtime>(host);
  for (Registration family : kFamilies) family(*rt);
  return rt;
}

}  // namespace vestil
