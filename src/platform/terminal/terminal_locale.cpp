// Regional settings of the console runner, from the environment.
#include <cctype>
#include <cstdlib>

#include "base/cp1252.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

void TerminalLocale::NumberSeparators(std::string& decimal, std::string& thousands) {
  std::string style;
  if (const char* v = std::getenv("VESTIL_NUMBER_FORMAT"); v && *v) {
    style = v;
  } else {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
      const char* l = std::getenv(name);
      if (l && *l) {
        style = l;
        break;
      }
    }
  }
  const bool german = style.size() >= 2 && std::tolower(static_cast<unsigned char>(style[0])) == 'd' &&
                      std::tolower(static_cast<unsigned char>(style[1])) == 'e';
  decimal.assign(1, german ? ',' : '.');
  thousands.assign(1, german ? '.' : ',');
}

std::string TerminalLocale::IntlSetting(std::string_view key, std::string_view default_value) {
  std::string name = "VESTIL_INTL_";
  for (char c : key) name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  const char* v = std::getenv(name.c_str());
  return v ? Utf8ToCp1252(v) : std::string(default_value);
}

}  // namespace vestil
