#pragma once
// Registration of the statement families that live outside the values layer.

namespace vestil {

struct Runtime;

void RegisterProgramControlStatements(Runtime& rt);
void RegisterConsoleStatements(Runtime& rt);

}  // namespace vestil
