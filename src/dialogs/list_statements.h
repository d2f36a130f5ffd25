#pragma once
// CLEARLIST, ADDLIST, SETLIST, ADDFILES and @LISTITEM$.

namespace vestil {

struct Runtime;

void RegisterListStatements(Runtime& rt);

}  // namespace vestil
