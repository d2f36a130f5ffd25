#pragma once
// The DialogList: the program-wide list of text items that the list and edit
// dialogs show, list and combo fills use, and the list statements fill.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;

constexpr int32_t kMaxDialogListItems = 10000;

struct DialogListState {
  std::vector<ShortString> items;  // items[0..last]
  int32_t last = -1;               // %LISTLAST; -1 while the list is empty
  int32_t dialog_result = 0;       // %DLGRESULT: 1 OK, 2 Cancel, or a box's button
  int32_t list_selection = 0;      // %LISTINDEX: list box index of the item last selected
  ShortString last_input_text;     // $INPUTDLG: the text last confirmed in @INPUT$
  ShortString last_chosen_text;    // $CHOSEN: the last item or file chosen
};

// Empties the list.
void ListClear(Runtime& rt);
// Appends an item; false when the list already holds kMaxDialogListItems.
bool ListAdd(Runtime& rt, std::string_view text);
// Replaces item index; false when there is no such item.
bool ListSet(Runtime& rt, int32_t index, std::string_view text);
// Item index; the empty text when there is no such item.
ShortString ListGet(const Runtime& rt, int32_t index);

}  // namespace vestil
