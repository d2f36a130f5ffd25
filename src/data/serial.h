#pragma once
// Serial ports: @COMOPEN, @COMSETUP, @COMFLAGS, @COMWRITE, @COMREAD$,
// @COMERROR, @COMCLOSE, over the host's SerialPorts.

namespace vestil {

struct Runtime;

void RegisterSerialPorts(Runtime& rt);

}  // namespace vestil
