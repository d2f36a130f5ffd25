#pragma once
// Hardware port access: OUTPORT, OUTPORTW, @INP and @INPW.

namespace vestil {

struct Runtime;

void RegisterPorts(Runtime& rt);

}  // namespace vestil
