#pragma once
// Regional settings and code pages.
#include <string>
#include <string_view>

namespace vestil {

class Locale {
 public:
  virtual ~Locale() = default;
  // The decimal and thousands separators of the user's number format.
  virtual void NumberSeparators(std::string& decimal, std::string& thousands) = 0;
  // An entry of the section [intl] of the Windows profile (sDate,
  // sShortDate, ...); default_value when it is not set.
  virtual std::string IntlSetting(std::string_view key, std::string_view default_value) = 0;
  // The platform's ANSI <-> OEM code-page conversion of a text in place;
  // false when the platform has none (the runtime then uses code page 850).
  virtual bool ConvertAnsiToOem(std::string& text) = 0;
  virtual bool ConvertOemToAnsi(std::string& text) = 0;
};

}  // namespace vestil
