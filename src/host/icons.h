#pragma once
// Icons and the mouse cursor: icons drawn on the output target and its
// shadow copy, the main window's class icon, its cursor and the visibility
// of the mouse pointer. Images come from the runner's own resources, from a
// module the script loaded, from a file or from the system.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vestil {

// A resource name as a script writes it: a text that converts completely to
// a number selects the resource of that number, any other text the resource
// of that name.
struct ImageName {
  bool by_number = false;
  uint16_t number = 0;
  std::string text;  // the name as written (also the detail of message 224)
};

// The icon resources of the runner itself, and its cursor resources.
inline constexpr std::array<std::string_view, 20> kRunnerIcons = {
    "BAUM",   "COMPUTER", "DOS",   "DRUCKER", "EDITOR", "EIMER", "EIS",  "FILEICON", "GESICHT", "KNOPF1",
    "KNOPF2", "MUELL",    "MUENZE", "VESTIL", "SAND",   "STEIN", "TEXT", "WASSER",   "WEG",     "WINDOWS"};
inline constexpr std::array<std::string_view, 3> kRunnerCursors = {"DRUCKER", "SCHIEBEN", "GROESSE"};

// Where an icon comes from: a resource of `module` (none: the runner
// itself), icon number `index` of the file `file`, or the system icon `number`.
struct IconSource {
  enum class Kind : uint8_t { kResource, kFile, kSystem };
  Kind kind = Kind::kResource;
  std::optional<int32_t> module;
  ImageName name;
  std::string file;
  int32_t index = 0;
  uint16_t number = 0;
};

class Icons {
 public:
  virtual ~Icons() = default;
  // Draws the icon with its top-left corner at (x, y) on the output target,
  // then on the shadow copy, and releases it. False when the icon does not
  // load; without a target the icon is loaded and nothing drawn.
  virtual bool DrawIcon(const IconSource& icon, int32_t x, int32_t y) = 0;
  // The main window's class icon from an icon resource of the runner; false
  // when there is no such icon.
  virtual bool SetWindowIcon(const ImageName& name) = 0;
  // The mouse cursor of the main window, kept when the mouse moves: a system
  // cursor by its number, or a cursor resource of `module` (none: the
  // runner). A cursor that does not load leaves the cursor as it is.
  virtual void SetSystemCursor(uint16_t number) = 0;
  virtual void SetResourceCursor(std::optional<int32_t> module, const ImageName& name) = 0;
  // Shows or hides the mouse pointer, moving the display count only as far
  // as needed.
  virtual void ShowMousePointer(bool visible) = 0;
};

}  // namespace vestil
