#pragma once
// Sound without the platform: the PLAY music language and its note timing,
// the MIDINOTES chord rules, BEEP's duration and PLAYSOUND's flags. MIDI goes
// out through MidiSink and time passes through MusicClock, so the statements
// plug in the system's MIDI mapper and tick count, and the tests a recorder
// and a clock that moves only when waited on.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vestil::sound {

// MIDI short messages as midiOutShortMsg takes them: status in the low
// byte, then the data bytes.
constexpr uint32_t NoteOn(int channel, int key, int velocity) {
  return 0x90u + static_cast<uint32_t>(channel) + (static_cast<uint32_t>(key) << 8) +
         (static_cast<uint32_t>(velocity) << 16);
}
constexpr uint32_t ProgramChange(int channel, int program) {
  return 0xC0u + static_cast<uint32_t>(channel) + (static_cast<uint32_t>(program) << 8);
}

// The MIDI output: the mapper is opened for each note (or chord, or
// instrument change) and closed after it.
class MidiSink {
 public:
  virtual ~MidiSink() = default;
  // midiOutGetNumDevs.
  virtual unsigned OutputDevices() = 0;
  // midiOutOpen of the MIDI mapper; false when it fails.
  virtual bool Open() = 0;
  virtual void ShortMessage(uint32_t msg) = 0;
  virtual void Close() = 0;
};

// Time while music plays.
class MusicClock {
 public:
  virtual ~MusicClock() = default;
  // The tick count in milliseconds; it may wrap.
  virtual uint32_t Now() = 0;
  // Returns once Now() - start >= ms (unsigned, so across a wrap). Polls
  // the tick count; no messages are processed meanwhile.
  virtual void WaitUntil(uint32_t start, uint32_t ms) = 0;
  // Processes the message queue once, after each command of a melody.
  // False stops the melody (the program is ending).
  virtual bool Pump() = 0;
};

// The music settings, kept for the whole run.
struct MusicState {
  int32_t tempo = 120;
  int32_t volume = 100;  // the note-on velocity, played as at most 127
  int32_t length = 4;    // the default note length
  int32_t octave = 4;    // 0..6
  char articulation = 'N';
  int32_t channel = 0;   // 0..15
};

constexpr int kMinOctave = 0;
constexpr int kMaxOctave = 6;
constexpr uint8_t kPauseSemitone = 255;

// A note's length in milliseconds: 240000 / tempo / length, x 1.5 when
// dotted, rounded to the nearest integer (halves to the even neighbour, as
// the FPU rounds); 0 when tempo x length <= 0.
uint32_t NoteDuration(int32_t tempo, int32_t length, bool dotted);

// One command of the music language, as the reader hands it out.
struct MusicCommand {
  enum Kind {
    kNote,          // a note or pause: semitone (255 for P), length, dotted
    kOctave,        // O: value
    kOctaveDown,    // <
    kOctaveUp,      // >
    kLength,        // L: value
    kTempo,         // T: value
    kVolume,        // V: value
    kChannel,       // K: value
    kInstrument,    // I: value
    kArticulation,  // M: letter (upper case)
    kIgnored,       // anything else, or a command without its number
  };
  Kind kind = kIgnored;
  int semitone = 0;     // -1..12, or kPauseSemitone
  bool has_length = false;
  bool dotted = false;
  int32_t value = 0;    // the number (saturated at 2147483647), or the note's length
  char letter = 0;
};

// Reads the music language left to right. Blanks are dropped first; every
// command consumes at least one character, so a text of n characters gives
// at most n commands.
class MusicReader {
 public:
  explicit MusicReader(std::string_view music);
  // False at the end of the text.
  bool Next(MusicCommand& cmd);

 private:
  bool Digits(int32_t& value);

  std::string text_;  // without blanks
  size_t pos_ = 0;
};

// What a melody did.
struct PlayResult {
  bool stopped = false;      // Pump asked to stop
  bool open_failed = false;  // the MIDI mapper did not open for some note
  size_t commands = 0;       // commands read (and pumps made)
};

// Plays a melody: state changes persist in `state`.
PlayResult Play(std::string_view music, MusicState& state, MidiSink& midi, MusicClock& clock);

// MIDINOTES with the evaluated notes (the first 16 are used; each kept as
// its low byte), length and extension (kept as a byte). False when there is
// at most one MIDI output device or the mapper does not open: the statement
// raises its warning then.
constexpr size_t kMaxMidiNotes = 16;
bool MidiNotes(std::span<const int32_t> notes, int32_t length, int32_t extension, MidiSink& midi,
               MusicClock& clock);

// The channel of the j-th MIDINOTES note: j, with 3 and 9 exchanged.
constexpr int MidiNotesChannel(size_t j) {
  return j == 3 ? 9 : j == 9 ? 3 : static_cast<int>(j);
}

// BEEP: the speaker tone's length for a duration, duration x 0.37999696...
// (the 80-bit constant 3FFD C28EF627C48AFE18) rounded to the nearest
// integer. A negative duration gives 0 (no tone) rather than a length near
// 2^32 ms.
uint32_t BeepDuration(int32_t duration);

// PLAYSOUND: only the flags asynchronous (0x01), no default sound (0x02),
// loop (0x08) and no stop (0x10) pass to sndPlaySound.
constexpr uint32_t kPlaySoundFlagMask = 0x1B;
constexpr uint32_t PlaySoundFlags(int32_t flags) {
  return static_cast<uint32_t>(flags) & kPlaySoundFlagMask;
}

}  // namespace vestil::sound
