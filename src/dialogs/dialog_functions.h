#pragma once
// The standard dialogs as functions (@MESSAGEBOX, @INPUT$, @LISTBOX$,
// @EDITBOX, @FILEOPEN$, @FILESAVE$), ADDWINDOWS, and the system variables
// that keep their results (%LISTINDEX, $INPUTDLG, $CHOSEN). The rules that
// need no window are here as plain functions; the dialogs themselves are the
// host's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;

// The edit dialog's text never reaches this length.
constexpr size_t kEditTextLimit = 63999;
// At most this many lines of the edit become items again.
constexpr size_t kEditLineLimit = 10000;

// The list template a style selects: 1..8 as given, anything else 7.
int ListTemplate(int32_t style);
// Templates 3, 4, 7 and 8 sort their list box.
bool ListTemplateSorts(int template_number);
// The edit template a style selects: 2 as given, anything else 1.
int EditTemplate(int32_t style);

// The edit dialog's text: every item followed by CR LF, as long as the text
// stays below kEditTextLimit characters; the first item that would reach it
// and all after it are left out.
std::string EditText(const std::vector<ShortString>& items);

// The open dialog's filter and initial name from the script's text: a text
// with "|" is a filter list ("|" becomes NUL) and the name starts empty;
// any other text is both the name and the (single, pattern-less) filter.
void OpenDialogFilter(std::string_view text, std::string& filter, std::string& name);
// The save dialog's pattern: "*" and the name's extension from its last "."
// ("*" alone without one), at most 255 characters. The filter list is that
// pattern as description and as pattern; it is the default extension too.
std::string SaveDialogPattern(std::string_view name);

// The order in which a list box shows items: as given, or sorted without
// regard to case (equal items keep their order).
std::vector<size_t> ListBoxOrder(const std::vector<std::string>& items, bool sorted);

// Whether a window title starts with the prefix, without regard to case.
bool TitleHasPrefix(std::string_view title, std::string_view prefix);

void RegisterDialogFunctions(Runtime& rt);

}  // namespace vestil
