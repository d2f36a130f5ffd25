#pragma once
// Sound: the default beep and multimedia command strings.
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void DefaultBeep() = 0;
  // mciSendString: the code (0 success) and the reply, or the error text.
  virtual uint32_t MciCommand(std::string_view command, std::string& reply) = 0;
  static constexpr uint32_t kMciNotAvailable = 263;  // MCIERR_INVALID_DEVICE_NAME
};

}  // namespace vestil
