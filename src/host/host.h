#pragma once
// The seam between the portable runtime and the operating system: one small
// interface per concern, gathered in Host. Each host (platform/terminal for the
// console runner, platform/win32 for vestrun.exe) implements every interface;
// portable code reaches the platform only through them.
#include "host/bitmaps.h"
#include "host/canvas.h"
#include "host/controls.h"
#include "host/dialogs.h"
#include "host/events.h"
#include "host/files.h"
#include "host/icons.h"
#include "host/libraries.h"
#include "host/locale.h"
#include "host/menus.h"
#include "host/odbc.h"
#include "host/ports.h"
#include "host/printer.h"
#include "host/profile.h"
#include "host/screen.h"
#include "host/serial.h"
#include "host/sound.h"
#include "host/system.h"
#include "host/window_access.h"

namespace vestil {

// The order of the members is the order of Host{...} in each host.
struct Host {
  FileSystem* files = nullptr;
  SystemServices* system = nullptr;
  Locale* locale = nullptr;
  Screen* screen = nullptr;
  Dialogs* dialogs = nullptr;
  ProfileStore* profile = nullptr;
  Sound* sound = nullptr;
  Ports* ports = nullptr;
  SerialPorts* serial = nullptr;
  Libraries* libraries = nullptr;
  Events* events = nullptr;
  OdbcDriverManager* odbc = nullptr;
  Canvas* canvas = nullptr;
  Menus* menus = nullptr;
  WindowAccess* windows = nullptr;
  Icons* icons = nullptr;
  Controls* controls = nullptr;
  Printer* printer = nullptr;
  Bitmaps* bitmaps = nullptr;
};

}  // namespace vestil
