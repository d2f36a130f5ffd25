#pragma once
// The sound statements BEEP, PLAYSOUND, MIDINOTES and PLAY over the host's
// Sound, with the music settings kept for the whole run.

namespace vestil {

struct Runtime;

void RegisterSoundStatements(Runtime& rt);

}  // namespace vestil
