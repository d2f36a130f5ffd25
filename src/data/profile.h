#pragma once
// Profile (INI) files and the clipboard: WRITEINI, @READINI$, CLEARCLIP,
// SETCLIP, @GETCLIP$.

namespace vestil {

struct Runtime;

void RegisterProfile(Runtime& rt);

}  // namespace vestil
