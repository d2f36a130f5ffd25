#pragma once
// Our reader of the mode definitions that the Windows port setup accepts, for
// hosts without one:
//   "baud=9600 parity=N data=8 stop=1 [to=on|off] [xon=on|off] [odsr=..]
//    [octs=..] [dtr=on|off|hs] [rts=on|off|hs|tog] [idsr=..]"
//   "9600,n,8,1[,x|p]" (the older form; two-digit rates stand for their
//    longer ones: 96 is 9600, 19 is 19200, 11 is 110)
// Either may start with the port's name ("COM1:"). Keys and letters are
// read without regard to case.
#include <cstdint>
#include <string_view>

#include "host/serial.h"

namespace vestil {

// The timeouts a definition may set, in milliseconds.
struct CommTimeouts {
  uint32_t read_interval = 0;
  uint32_t read_multiplier = 0;
  uint32_t read_constant = 0;
  uint32_t write_multiplier = 0;
  uint32_t write_constant = 0;
};

// Changes state (and, for "to=", timeouts) as the definition says; the fields
// it does not name keep their values, except that flow control is switched
// off unless the definition asks for it (DTR and RTS on), a rate of 110
// given without a stop field takes two stop bits, and parity checking follows the
// parity. False, with state and timeouts unchanged, when a field is unknown
// or out of range.
bool ParseCommDefinition(std::string_view definition, CommState& state, CommTimeouts& timeouts);

}  // namespace vestil
