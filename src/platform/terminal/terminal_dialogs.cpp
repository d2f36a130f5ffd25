// Boxes and dialogs of the console runner: a box is one line on standard
// error, answered by VESTRUN_ANSWERS or its first button; a folder is asked
// for on the console.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "base/cp1252.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalDialogs::TerminalDialogs(TerminalScreen& screen) : screen_(screen) {
  if (const char* a = std::getenv("VESTRUN_ANSWERS")) {
    std::string s(a);
    size_t i = 0;
    while (i <= s.size()) {
      size_t j = s.find(',', i);
      if (j == std::string::npos) j = s.size();
      answers_.push_back(s.substr(i, j - i));
      i = j + 1;
    }
  }
}

int TerminalDialogs::NextAnswer(unsigned style) {
  const unsigned buttons = style & 0x0f;
  if (buttons == 0) return 1;  // OK only: nothing to choose
  if (next_answer_ < answers_.size()) {
    std::string a = answers_[next_answer_++];
    for (auto& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (a == "ok") return 1;
    if (a == "cancel") return 2;
    if (a == "abort") return 3;
    if (a == "retry") return 4;
    if (a == "ignore") return 5;
    if (a == "yes") return 6;
    if (a == "no") return 7;
  }
  // The default answer is the box's first button.
  switch (buttons) {
    case 2: return 3;           // abort, retry, ignore
    case 3: case 4: return 6;   // yes, no (, cancel)
    case 5: return 4;           // retry, cancel
    default: return 1;          // OK (, cancel)
  }
}

int TerminalDialogs::MessageBox(std::string_view caption, std::string_view text, unsigned style) {
  std::fflush(stdout);
  std::string body;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      body.push_back(' ');
    } else {
      body.push_back(text[i]);
    }
  }
  std::string line = Cp1252ToUtf8(caption) + " | " + Cp1252ToUtf8(body) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return NextAnswer(style);
}

bool TerminalDialogs::ChooseProgramFile(std::string_view, std::string&) {
  // There is no file dialog on a console: the choice is always cancelled.
  return false;
}

bool TerminalDialogs::ChooseDirectory(std::string_view title, std::string& path) {
  // The console asks: the title as the prompt, the answer typed as a line; an
  // empty answer (or the end of the input) cancels.
  screen_.WriteText(std::string(title) + " ");
  std::string line;
  if (screen_.ReadLine(line, 255) != LineRead::kLine) {
    screen_.WriteText("\n");
    return false;
  }
  if (line.empty()) return false;
  path = line;
  return true;
}

}  // namespace vestil
