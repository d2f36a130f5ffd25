// The sound statements BEEP, PLAYSOUND, MIDINOTES and PLAY over the host's Sound.
#include "data/sound/sound_statements.h"

#include <vector>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/sound/music.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

struct SoundFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kSound;
  sound::MusicState music;
};

// The host's MIDI output as the music model sees it.
class HostMidi : public sound::MidiSink {
 public:
  explicit HostMidi(Sound& s) : sound_(s) {}
  unsigned OutputDevices() override { return sound_.MidiOutputDevices(); }
  bool Open() override { return sound_.MidiOpen(); }
  void ShortMessage(uint32_t msg) override { sound_.MidiMessage(msg); }
  void Close() override { sound_.MidiClose(); }

 private:
  Sound& sound_;
};

// The tick count, polled while a note sounds; the window's messages after
// each command of a melody.
class HostClock : public sound::MusicClock {
 public:
  explicit HostClock(const Host& host) : host_(host) {}
  uint32_t Now() override { return host_.system->TickCount(); }
  void WaitUntil(uint32_t start, uint32_t ms) override {
    while (host_.system->TickCount() - start < ms) host_.sound->Nap();
  }
  bool Pump() override {
    host_.screen->PumpMessages();
    return true;
  }

 private:
  const Host& host_;
};

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.l;
}

void Beep(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t frequency = NumberArg(rt, ',');
  const int32_t duration = NumberArg(rt, kRest);
  rt.host.sound->Tone(static_cast<uint32_t>(frequency), sound::BeepDuration(duration));
}

void PlaySound(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, ',', kFileNameDemand);
  const ShortString file = rt.eval.rr.text();
  const int32_t flags = NumberArg(rt, kRest);
  rt.host.sound->PlayWave(file, sound::PlaySoundFlags(flags));
}

// MIDINOTES note;note;...;note, length, extension
void MidiNotes(Runtime& rt) {
  rt.loop.statement_handled = true;
  std::vector<int32_t> notes;
  while (FindSeparator(';', rt.loop.arg_text) != 0 && notes.size() < sound::kMaxMidiNotes - 1) {
    notes.push_back(NumberArg(rt, ';'));
  }
  notes.push_back(NumberArg(rt, ','));
  const int32_t length = NumberArg(rt, ',');
  const int32_t extension = NumberArg(rt, kRest);
  HostMidi midi(*rt.host.sound);
  HostClock clock(rt.host);
  if (!sound::MidiNotes(notes, length, extension, midi, clock)) RuntimeWarning(rt, msg::kSoundFailed, "");
}

void Play(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kTextDemand);
  const ShortString music = rt.eval.rr.text();
  HostMidi midi(*rt.host.sound);
  HostClock clock(rt.host);
  const sound::PlayResult r = sound::Play(music, rt.Family<SoundFamily>().music, midi, clock);
  // Without a MIDI output the melody keeps its time and warns once.
  if (r.open_failed) RuntimeWarning(rt, msg::kSoundFailed, "");
}

}  // namespace

void RegisterSoundStatements(Runtime& rt) {
  rt.InstallFamily<SoundFamily>();
  auto& s = rt.statements;
  s[cmd::kBeep] = Beep;
  s[cmd::kPlaySound] = PlaySound;
  s[cmd::kMidiNotes] = MidiNotes;
  s[cmd::kPlay] = Play;
}

}  // namespace vestil
