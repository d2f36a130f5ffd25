// The standard dialogs of the console runner: each is a question on standard
// output answered by lines from standard input. The end of the input cancels
// every one of them.
#include <cstdio>
#include <string>

#include "dialogs/dialog_functions.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

}  // namespace

// "caption | prompt [initial] ", then a line: an empty one keeps the initial
// text; with no initial text it is asked again, as OK stays disabled on an
// empty edit.
bool TerminalDialogs::RunInputDialog(std::string_view caption, std::string_view prompt, std::string& text) {
  std::string question = std::string(caption) + " | " + std::string(prompt) + " ";
  if (!text.empty()) question += "[" + text + "] ";
  for (;;) {
    screen_.WriteText(question);
    std::string line;
    if (screen_.ReadLine(line, 254) != LineRead::kLine) {
      screen_.WriteText("\n");
      return false;
    }
    if (!line.empty()) {
      text = line;
      return true;
    }
    if (!text.empty()) {
      if (text.size() > 254) text.resize(254);
      return true;
    }
  }
}

// The caption, the items numbered from 1 in the order the list box shows
// them, then "> " and a number; an empty line is OK without a choice, any
// other line that names no item is asked again.
bool TerminalDialogs::RunListDialog(std::string_view caption, int style, const std::vector<std::string>& items,
                                    int32_t& selection, std::string& text) {
  const std::vector<size_t> order = ListBoxOrder(items, ListTemplateSorts(style));
  std::string shown = std::string(caption) + "\n";
  for (size_t i = 0; i < order.size(); ++i) shown += std::to_string(i + 1) + ": " + items[order[i]] + "\n";
  screen_.WriteText(shown);
  text.clear();
  for (;;) {
    screen_.WriteText("> ");
    std::string line;
    if (screen_.ReadLine(line, 255) != LineRead::kLine) {
      screen_.WriteText("\n");
      return false;
    }
    if (line.empty()) return true;
    size_t n = 0;
    bool number = line.size() <= 6;
    for (char c : line) {
      if (c < '0' || c > '9') number = false;
      else n = n * 10 + static_cast<size_t>(c - '0');
    }
    if (number && n >= 1 && n <= order.size()) {
      selection = static_cast<int32_t>(n - 1);
      text = items[order[n - 1]];
      return true;
    }
  }
}

// The caption and the edit's lines; the new lines follow, up to a line that
// holds a lone ".".
bool TerminalDialogs::RunEditDialog(std::string_view caption, int, std::string_view text,
                                    std::vector<std::string>& lines) {
  std::string shown = std::string(caption) + "\n";
  for (char c : text) {
    if (c != '\r') shown.push_back(c);
  }
  screen_.WriteText(shown);
  lines.clear();
  for (;;) {
    std::string line;
    if (screen_.ReadLine(line, 255) != LineRead::kLine) {
      screen_.WriteText("\n");
      return false;
    }
    if (line == ".") return true;
    lines.push_back(line);
  }
}

// "caption [name] " and the path as a line; an empty line keeps the initial
// name, or cancels when there is none (or it is a pattern).
bool TerminalDialogs::RunFileDialog(bool, std::string_view caption, std::string_view, std::string_view,
                                    std::string& name) {
  std::string question = std::string(caption) + " ";
  if (!name.empty()) question += "[" + name + "] ";
  screen_.WriteText(question);
  std::string line;
  if (screen_.ReadLine(line, 255) != LineRead::kLine) {
    screen_.WriteText("\n");
    return false;
  }
  if (!line.empty()) {
    name = line;
    return true;
  }
  return !name.empty() && !HasWildcard(name);
}

}  // namespace vestil
