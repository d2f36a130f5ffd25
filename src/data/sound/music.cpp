// The PLAY music language, its note timing and the MIDINOTES chord rules,
// without the platform.
#include "data/sound/music.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vestil::sound {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool AsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// Semitones of the note letters A..G within the octave.
constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};

}  // namespace

uint32_t NoteDuration(int32_t tempo, int32_t length, bool dotted) {
  if (static_cast<int64_t>(tempo) * length <= 0) return 0;
  long double d = 240000.0L / tempo / length;
  if (dotted) d *= 1.5L;
  // Default rounding: to nearest, halves to even. At most 360000.
  return static_cast<uint32_t>(std::rint(d));
}

MusicReader::MusicReader(std::string_view music) {
  text_.reserve(music.size());
  for (char c : music) {
    if (c != ' ') text_.push_back(c);
  }
}

// A run of decimal digits; values beyond 2147483647 stay there.
bool MusicReader::Digits(int32_t& value) {
  if (pos_ >= text_.size() || !Digit(text_[pos_])) return false;
  int64_t v = 0;
  while (pos_ < text_.size() && Digit(text_[pos_])) {
    v = std::min<int64_t>(v * 10 + (text_[pos_] - '0'), std::numeric_limits<int32_t>::max());
    ++pos_;
  }
  value = static_cast<int32_t>(v);
  return true;
}

bool MusicReader::Next(MusicCommand& cmd) {
  if (pos_ >= text_.size()) return false;
  cmd = MusicCommand{};
  const char c = AsciiUpper(text_[pos_++]);
  switch (c) {
    case 'A': case 'B': case 'C': case 'D': case 'E': case 'F': case 'G': case 'P':
      cmd.kind = MusicCommand::kNote;
      cmd.semitone = c == 'P' ? kPauseSemitone : kSemitones[c - 'A'];
      if (pos_ < text_.size()) {
        const char a = text_[pos_];
        if (a == '#' || a == '+' || a == '-') {
          if (c != 'P') cmd.semitone += a == '-' ? -1 : 1;
          ++pos_;
        }
      }
      cmd.has_length = Digits(cmd.value);
      if (pos_ < text_.size() && text_[pos_] == '.') {
        cmd.dotted = true;
        ++pos_;
      }
      return true;
    case 'O': case 'L': case 'T': case 'V': case 'K': case 'I': {
      // Without its number the command is ignored.
      if (!Digits(cmd.value)) return true;
      static constexpr MusicCommand::Kind kKinds[] = {
          MusicCommand::kOctave, MusicCommand::kLength, MusicCommand::kTempo,
          MusicCommand::kVolume, MusicCommand::kChannel, MusicCommand::kInstrument};
      cmd.kind = kKinds[std::string_view("OLTVKI").find(c)];
      return true;
    }
    case '<': cmd.kind = MusicCommand::kOctaveDown; return true;
    case '>': cmd.kind = MusicCommand::kOctaveUp; return true;
    case 'M':
      // M takes the letter after it; M before anything else is ignored and
      // what follows is read as a command of its own.
      if (pos_ < text_.size() && AsciiLetter(text_[pos_])) {
        cmd.kind = MusicCommand::kArticulation;
        cmd.letter = AsciiUpper(text_[pos_++]);
      }
      return true;
    default:
      return true;
  }
}

namespace {

// One note or pause. A pause, a key of 0 or less and an articulation other
// than L, N and S sound nothing but keep the note's time.
void PlayNote(const MusicCommand& cmd, const MusicState& state, MidiSink& midi, MusicClock& clock,
              PlayResult& result) {
  const uint32_t d = NoteDuration(state.tempo, cmd.has_length ? cmd.value : state.length, cmd.dotted);
  const int key = 12 * state.octave + cmd.semitone;
  const char art = state.articulation;
  const bool sounds = cmd.semitone != kPauseSemitone && key > 0 && (art == 'L' || art == 'N' || art == 'S');
  if (sounds && !midi.Open()) {
    result.open_failed = true;
  } else if (sounds) {
    const uint32_t start = clock.Now();
    midi.ShortMessage(NoteOn(state.channel, key, std::min(state.volume, 127)));
    // The note sounds for all of d (legato), 7/8 of it (normal) or half of
    // it (staccato); the rest of d is silence, so each note takes d.
    const uint32_t on = art == 'L' ? d : art == 'N' ? d * 7 / 8 : d / 2;
    clock.WaitUntil(start, on);
    midi.ShortMessage(NoteOn(state.channel, key, 0));
    if (on < d) clock.WaitUntil(start, d);
    midi.Close();
    return;
  }
  clock.WaitUntil(clock.Now(), d);
}

}  // namespace

PlayResult Play(std::string_view music, MusicState& state, MidiSink& midi, MusicClock& clock) {
  PlayResult result;
  MusicReader reader(music);
  MusicCommand cmd;
  while (reader.Next(cmd)) {
    ++result.commands;
    switch (cmd.kind) {
      case MusicCommand::kNote: PlayNote(cmd, state, midi, clock, result); break;
      // The key table has seven octaves: O, < and > stay within 0..6.
      case MusicCommand::kOctave: state.octave = std::min(cmd.value, kMaxOctave); break;
      case MusicCommand::kOctaveDown: state.octave = std::max(state.octave - 1, kMinOctave); break;
      case MusicCommand::kOctaveUp: state.octave = std::min(state.octave + 1, kMaxOctave); break;
      case MusicCommand::kLength: state.length = cmd.value; break;
      case MusicCommand::kTempo: state.tempo = cmd.value; break;
      case MusicCommand::kVolume: state.volume = cmd.value; break;
      case MusicCommand::kChannel: state.channel = cmd.value <= 15 ? cmd.value : 0; break;
      case MusicCommand::kInstrument:
        // Programs are 0..127; a larger number is no program and sends nothing.
        if (cmd.value <= 127) {
          if (midi.Open()) {
            midi.ShortMessage(ProgramChange(state.channel, cmd.value));
            midi.Close();
          } else {
            result.open_failed = true;
          }
        }
        break;
      case MusicCommand::kArticulation: state.articulation = cmd.letter; break;
      case MusicCommand::kIgnored: break;
    }
    if (!clock.Pump()) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

bool MidiNotes(std::span<const int32_t> notes, int32_t length, int32_t extension, MidiSink& midi,
               MusicClock& clock) {
  if (midi.OutputDevices() <= 1 || !midi.Open()) return false;
  const size_t count = std::min(notes.size(), kMaxMidiNotes);
  auto byte = [&](size_t j) { return static_cast<uint8_t>(notes[j] & 0xFF); };
  if (length >= 0) {
    const uint32_t start = clock.Now();
    // 1..127 are keys + 1; 128..255 are negative values -v, note-off of key v - 1.
    for (size_t j = 0; j < count; ++j) {
      const uint8_t b = byte(j);
      if (b >= 1 && b <= 127) midi.ShortMessage(NoteOn(MidiNotesChannel(j), b - 1, 127));
      if (b >= 128) midi.ShortMessage(NoteOn(MidiNotesChannel(j), 255 - b, 0));
    }
    if (length > 0) {
      const uint32_t e = static_cast<uint32_t>(2000 / length);
      const uint32_t ext = static_cast<uint8_t>(extension & 0xFF);
      clock.WaitUntil(start, e + ext * (e / 2));
      for (size_t j = 0; j < count; ++j) {
        const uint8_t b = byte(j);
        if (b >= 1 && b <= 127) midi.ShortMessage(NoteOn(MidiNotesChannel(j), b - 1, 0));
      }
    }
  } else if (length == -1) {
    // Instruments; the percussion channel has none. A negative value (byte
    // 128..255) is no program and sends nothing.
    for (size_t j = 0; j < count; ++j) {
      if (j == 3 || byte(j) > 127) continue;
      midi.ShortMessage(ProgramChange(MidiNotesChannel(j), byte(j)));
    }
  }
  midi.Close();
  return true;
}

uint32_t BeepDuration(int32_t duration) {
  if (duration <= 0) return 0;
  // duration x m / 2^65 with the mantissa m of the constant, exactly: the
  // product is a multiple of 8 and the duration below 2^31, so it never
  // lies halfway.
  constexpr uint64_t kMantissa = 0xC28EF627C48AFE18ull;
  const uint64_t d = static_cast<uint64_t>(duration);
  const uint64_t lo = d * (kMantissa & 0xFFFFFFFFu);
  const uint64_t hi = d * (kMantissa >> 32) + (lo >> 32);  // the product / 2^32
  return static_cast<uint32_t>((hi + (uint64_t{1} << 32)) >> 33);
}

}  // namespace vestil::sound
