// The music language, MIDINOTES, BEEP and PLAYSOUND against a recording MIDI
// output and a clock that moves only when waited on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data/sound/music.h"

namespace vestil::sound {
namespace {

// One recorded event: a message (with its time since the first tick), an
// open, a close or a pump.
struct Event {
  enum Kind { kMsg, kOpen, kClose, kPump } kind;
  uint32_t time;
  uint32_t msg;
  bool operator==(const Event&) const = default;
};

Event Msg(uint32_t time, uint32_t msg) { return {Event::kMsg, time, msg}; }

std::ostream& operator<<(std::ostream& os, const Event& e) {
  static const char* kNames[] = {"msg", "open", "close", "pump"};
  return os << kNames[e.kind] << "@" << e.time << ":" << std::hex << e.msg << std::dec;
}

class Recorder : public MidiSink, public MusicClock {
 public:
  explicit Recorder(uint32_t base = 1000) : base_(base), now_(base) {}
  unsigned OutputDevices() override { return devices; }
  bool Open() override {
    EXPECT_FALSE(open_) << "opened twice";
    events.push_back({Event::kOpen, now_ - base_, 0});
    return open_ = open_ok;
  }
  void ShortMessage(uint32_t msg) override {
    EXPECT_TRUE(open_) << "message to a closed device";
    events.push_back(Msg(now_ - base_, msg));
  }
  void Close() override {
    EXPECT_TRUE(open_) << "closed without opening";
    open_ = false;
    events.push_back({Event::kClose, now_ - base_, 0});
  }
  uint32_t Now() override { return now_; }
  void WaitUntil(uint32_t start, uint32_t ms) override { now_ = now_ - start < ms ? start + ms : now_; }
  bool Pump() override { return ++pumps != stop_at_pump; }
  std::vector<Event> Messages() const {
    std::vector<Event> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [](auto& e) { return e.kind == Event::kMsg; });
    return out;
  }
  uint32_t Elapsed() const { return now_ - base_; }

  std::vector<Event> events;
  unsigned devices = 2;
  bool open_ok = true;
  size_t pumps = 0;
  size_t stop_at_pump = 0;  // 0: never

 private:
  uint32_t base_;
  uint32_t now_;
  bool open_ = false;
};

std::vector<Event> PlayMessages(std::string_view music, MusicState& state, Recorder& r) {
  Play(music, state, r, r);
  return r.Messages();
}
using Events = std::vector<Event>;

// Default state: tempo 120, length 4, octave 4, volume 100, channel 0; a
// clock that wraps during the melody.
TEST(Music, ScaleInNormalArticulationSoundsSevenEighths) {
  MusicState state;
  Recorder r(0xFFFFFE00u);
  PlayResult res = Play("T120 L4 O4 C D E", state, r, r);
  EXPECT_EQ(res.commands, 6u);  // blanks are no commands
  EXPECT_EQ(r.pumps, 6u);
  EXPECT_EQ(r.events, (Events{
      {Event::kOpen, 0, 0}, Msg(0, 0x643090), Msg(437, 0x003090), {Event::kClose, 500, 0},
      {Event::kOpen, 500, 0}, Msg(500, 0x643290), Msg(937, 0x003290), {Event::kClose, 1000, 0},
      {Event::kOpen, 1000, 0}, Msg(1000, 0x643490), Msg(1437, 0x003490), {Event::kClose, 1500, 0}}));
}

TEST(Music, DefaultsLengthsDotsAndArticulation) {
  {
    MusicState state;
    Recorder r;
    // Dotted eighth 375; its own length does not change the default (the
    // next note is a quarter); ML sounds the whole note, MS half of it.
    EXPECT_EQ(PlayMessages("C8. ML D MS E mn F", state, r),
              (Events{Msg(0, 0x643090), Msg(328, 0x3090),  // 375*7/8
                                  Msg(375, 0x643290), Msg(875, 0x3290),
                                  Msg(875, 0x643490), Msg(1125, 0x3490),
                                  Msg(1375, 0x643590), Msg(1812, 0x3590)}));
    EXPECT_EQ(r.Elapsed(), 1875u);
    EXPECT_EQ(state.articulation, 'N');
  }
  {
    MusicState state;
    Recorder r;
    // Lengths 1 and 64 (dotted: 46.875 rounds to 47), L sets the default,
    // sharps, flats, pauses with lengths.
    EXPECT_EQ(PlayMessages("ML C1 C64 C64. L2 C# D+ E- P4. B", state, r),
              (Events{Msg(0, 0x643090), Msg(2000, 0x3090),
                                  Msg(2000, 0x643090), Msg(2031, 0x3090),  // 31.25 -> 31
                                  Msg(2031, 0x643090), Msg(2078, 0x3090),
                                  Msg(2078, 0x643190), Msg(3078, 0x3190),
                                  Msg(3078, 0x643390), Msg(4078, 0x3390),
                                  Msg(4078, 0x643390), Msg(5078, 0x3390),
                                  // pause 750
                                  Msg(5828, 0x643B90), Msg(6828, 0x3B90)}));
  }
}

TEST(Music, StateCommandsAndTheirLimits) {
  MusicState state;
  Recorder r;
  // K outside 0..15 gives channel 0; V above 127 plays at 127; I sends at
  // once on the current channel; O, < and > stay within 0..6.
  EXPECT_EQ(PlayMessages("K20 C K15 V200 I5 O9 C > C O0 < < D I128 K16 V0 O4 C", state, r),
            (Events{Msg(0, 0x643090), Msg(437, 0x3090),
                                Msg(500, 0x05CF),
                                Msg(500, 0x7F489F), Msg(937, 0x489F),   // octave 6
                                Msg(1000, 0x7F489F), Msg(1437, 0x489F), // > stays at 6
                                Msg(1500, 0x7F029F), Msg(1937, 0x029F), // < stays at 0
                                Msg(2000, 0x003090), Msg(2437, 0x3090)}));  // V0: velocity 0
  EXPECT_EQ(state.octave, 4);
  EXPECT_EQ(state.channel, 0);
  EXPECT_EQ(state.volume, 0);
  // The state persists between melodies.
  Recorder r2;
  MusicState s2;
  Play("T60 O2 L8 V127 K9", s2, r2, r2);
  EXPECT_EQ(PlayMessages("C", s2, r2), (Events{Msg(0, 0x7F1899), Msg(437, 0x1899)}));
}

TEST(Music, TempoBoundsAndSilentNotesKeepTime) {
  MusicState state;
  Recorder r;
  // T0 and L0 make notes of 0 ms; T1 L1 is 240 s (360 s dotted); a huge
  // tempo rounds to 0; numbers saturate rather than wrap.
  EXPECT_EQ(PlayMessages("T0 C L0 T120 D T1 L1 E. T99999999999999999999 F", state, r),
            (Events{Msg(0, 0x643090), Msg(0, 0x3090), Msg(0, 0x643290), Msg(0, 0x3290),
                                Msg(0, 0x643490), Msg(315000, 0x3490),
                                Msg(360000, 0x643590), Msg(360000, 0x3590)}));
  EXPECT_EQ(state.tempo, 2147483647);
  // O0 C is key 0 and C- key -1: not sounded, but they take their time, as
  // does a note in an unknown articulation. B# of octave 6 is key 84.
  MusicState s2;
  Recorder r2;
  EXPECT_EQ(PlayMessages("O0 C C- C# MX D MN O6 B#", s2, r2),
            (Events{Msg(1000, 0x640190), Msg(1437, 0x0190),
                                Msg(2000, 0x645490), Msg(2437, 0x5490)}));
  EXPECT_EQ(r2.Elapsed(), 2500u);
  // Halves round to even: T960 L100 is 2.5 ms.
  EXPECT_EQ(NoteDuration(960, 100, false), 2u);
  EXPECT_EQ(NoteDuration(120, 4, true), 750u);
  EXPECT_EQ(NoteDuration(-120, 4, false), 0u);
}

TEST(Music, GarbageEmptyAndCommandsWithoutNumbers) {
  MusicState state;
  Recorder r;
  PlayResult res = Play("", state, r, r);
  EXPECT_EQ(res.commands, 0u);
  EXPECT_TRUE(r.events.empty());
  // Commands without a number and stray characters are ignored, one pump
  // each; M followed by no letter is ignored and the next character read.
  res = Play("T L O V K I xyz!*M9M 12.#", state, r, r);
  EXPECT_EQ(res.commands, 18u);
  EXPECT_EQ(r.pumps, 18u);
  EXPECT_TRUE(r.events.empty());
  EXPECT_EQ(state.tempo, 120);
  EXPECT_EQ(state.articulation, 'N');
  // Windows-1252 letters are no commands (no upper-casing of 0xE4 to 0xC4).
  res = Play("\xe4\xe9\xfc", state, r, r);
  EXPECT_TRUE(r.events.empty());
}

TEST(Music, PumpStopsAndFailedOpenKeepsTime) {
  MusicState state;
  Recorder r;
  r.stop_at_pump = 2;
  PlayResult res = Play("C D E", state, r, r);
  EXPECT_TRUE(res.stopped);
  EXPECT_EQ(res.commands, 2u);
  EXPECT_EQ(r.Messages().size(), 4u);
  Recorder r2;
  r2.open_ok = false;
  res = Play("C I3 D", state, r2, r2);
  EXPECT_TRUE(res.open_failed);
  EXPECT_TRUE(r2.Messages().empty());
  EXPECT_EQ(r2.Elapsed(), 1000u);
}

// Random texts: every text ends, with one pump per command, well-formed
// messages (status note-on or program change, data bytes below 128), each
// note-on answered by its note-off before the next and within 360 s.
TEST(Music, RandomTextsStayBoundedAndWellFormed) {
  std::mt19937 rng(13);
  const std::string alphabet = "ABCDEFGPabcdefgp#+-.0123456789OLTVKIM<>NS mln \x01\xff";
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i)
      text.push_back(rng() % 8 == 0 ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()]);
    MusicState state;
    Recorder r;
    PlayResult res = Play(text, state, r, r);
    ASSERT_LE(res.commands, text.size()) << text;
    ASSERT_EQ(res.commands, r.pumps) << text;
    ASSERT_GE(state.octave, 0);
    ASSERT_LE(state.octave, 6);
    ASSERT_LE(state.channel, 15);
    int sounding = -1;
    uint32_t on_time = 0;
    for (const Event& e : r.Messages()) {
      const uint32_t status = e.msg & 0xFF;
      ASSERT_LT(e.msg >> 24, 1u) << text;
      ASSERT_LT((e.msg >> 8) & 0xFF, 128u) << text;
      ASSERT_LT((e.msg >> 16) & 0xFF, 128u) << text;
      if ((status & 0xF0) == 0xC0) {
        ASSERT_EQ(sounding, -1) << text;
        continue;
      }
      ASSERT_EQ(status & 0xF0, 0x90u) << text;
      if (sounding == -1) {
        sounding = static_cast<int>(e.msg & 0xFFFF);
        on_time = e.time;
      } else {
        ASSERT_EQ(e.msg, static_cast<uint32_t>(sounding)) << text;  // the same key, velocity 0
        ASSERT_LE(e.time - on_time, 360000u) << text;
        sounding = -1;
      }
    }
    ASSERT_EQ(sounding, -1) << text;
  }
}

TEST(MidiNotes, ChordsWithLengthAndExtension) {
  Recorder r;
  const int32_t chord[] = {61, 65, 68};
  ASSERT_TRUE(MidiNotes(chord, 4, 0, r, r));
  EXPECT_EQ(r.events, (Events{{Event::kOpen, 0, 0},
                                          Msg(0, 0x7F3C90), Msg(0, 0x7F4091), Msg(0, 0x7F4392),
                                          Msg(500, 0x3C90), Msg(500, 0x4091), Msg(500, 0x4392),
                                          {Event::kClose, 500, 0}}));
  Recorder r1;
  ASSERT_TRUE(MidiNotes(chord, 4, 1, r1, r1));
  EXPECT_EQ(r1.Messages()[3], Msg(750, 0x3C90));
  // e = 2000/3 = 666, e/2 = 333; extension -1 is the byte 255.
  Recorder r2;
  ASSERT_TRUE(MidiNotes(chord, 3, -1, r2, r2));
  EXPECT_EQ(r2.Messages()[3].time, 666u + 255u * 333u);
  // A length above 2000 waits 0; length 0 sends no note-off.
  Recorder r3;
  ASSERT_TRUE(MidiNotes(chord, 2001, 7, r3, r3));
  EXPECT_EQ(r3.Messages().size(), 6u);
  EXPECT_EQ(r3.Elapsed(), 0u);
  Recorder r4;
  ASSERT_TRUE(MidiNotes(chord, 0, 0, r4, r4));
  EXPECT_EQ(r4.Messages().size(), 3u);
}

TEST(MidiNotes, SixteenChannelsNegativeNotesAndBytes) {
  // Sixteen notes go to channels 0..15 with 3 and 9 exchanged; a 17th is
  // not read. Negative values are note-offs (velocity 0) and get no
  // note-off at the end; 0 sends nothing; values are kept as their low byte.
  std::vector<int32_t> notes;
  for (int j = 0; j < 17; ++j) notes.push_back(20 + j);
  notes[1] = -61;        // note-off of key 60
  notes[2] = 0;          // nothing
  notes[5] = 256 + 11;   // key 10
  notes[6] = -128;       // byte 128: note-off of key 127
  Recorder r;
  ASSERT_TRUE(MidiNotes(notes, 8, 0, r, r));
  std::vector<Event> want;
  const int channels[] = {0, 1, 2, 9, 4, 5, 6, 7, 8, 3, 10, 11, 12, 13, 14, 15};
  auto key = [&](int j) { return j == 5 ? 10 : 19 + j; };
  for (int j = 0; j < 16; ++j) {
    if (j == 1) want.push_back(Msg(0, NoteOn(1, 60, 0)));
    else if (j == 6) want.push_back(Msg(0, NoteOn(6, 127, 0)));
    else if (j != 2) want.push_back(Msg(0, NoteOn(channels[j], key(j), 127)));
  }
  for (int j = 0; j < 16; ++j)
    if (j != 1 && j != 2 && j != 6) want.push_back(Msg(250, NoteOn(channels[j], key(j), 0)));
  EXPECT_EQ(r.Messages(), want);
  EXPECT_EQ(MidiNotesChannel(3), 9);
  EXPECT_EQ(MidiNotesChannel(9), 3);
}

TEST(MidiNotes, ProgramChangesAndMissingDevice) {
  Recorder r;
  const int32_t programs[] = {1, 1, 1, 35};
  ASSERT_TRUE(MidiNotes(programs, -1, 0, r, r));
  EXPECT_EQ(r.events, (Events{{Event::kOpen, 0, 0},
                                          Msg(0, 0x01C0), Msg(0, 0x01C1), Msg(0, 0x01C2),
                                          {Event::kClose, 0, 0}}));
  // The tenth note is channel 3's program; a negative value sends nothing;
  // a length below -1 sends nothing at all.
  std::vector<int32_t> ten = {0, -5, 127, 9, 0, 0, 0, 0, 0, 42};
  Recorder r2;
  ASSERT_TRUE(MidiNotes(ten, -1, 0, r2, r2));
  std::vector<Event> want = {Msg(0, 0x00C0), Msg(0, 0x7FC2)};
  for (int ch : {4, 5, 6, 7, 8}) want.push_back(Msg(0, ProgramChange(ch, 0)));
  want.push_back(Msg(0, 0x2AC3));
  EXPECT_EQ(r2.Messages(), want);
  Recorder r3;
  ASSERT_TRUE(MidiNotes(ten, -2, 0, r3, r3));
  EXPECT_TRUE(r3.Messages().empty());
  // At most one output device, or the mapper not opening: refused, nothing sent.
  Recorder one;
  one.devices = 1;
  EXPECT_FALSE(MidiNotes(programs, 4, 0, one, one));
  EXPECT_TRUE(one.events.empty());
  Recorder closed;
  closed.open_ok = false;
  EXPECT_FALSE(MidiNotes(programs, 4, 0, closed, closed));
  EXPECT_EQ(closed.Messages().size(), 0u);
}

TEST(Beep, DurationFactorAndFlags) {
  EXPECT_EQ(BeepDuration(1000), 380u);
  EXPECT_EQ(BeepDuration(1), 0u);
  EXPECT_EQ(BeepDuration(2), 1u);      // 0.75999
  EXPECT_EQ(BeepDuration(0), 0u);
  EXPECT_EQ(BeepDuration(-500), 0u);
  EXPECT_EQ(BeepDuration(2147483647), 816037258u);
  // Against the constant in 80-bit arithmetic where long double has it.
  if constexpr (std::numeric_limits<long double>::digits == 64) {
    const long double f = 0xC28EF627C48AFE18ull / 36893488147419103232.0L;  // m / 2^65
    EXPECT_EQ(static_cast<double>(f), 0.3799969600243198);
    for (int32_t d = 0; d < 200000; d += 7)
      ASSERT_EQ(BeepDuration(d), static_cast<uint32_t>(std::llround(d * f))) << d;
  }
  EXPECT_EQ(PlaySoundFlags(0x1B), 0x1Bu);
  EXPECT_EQ(PlaySoundFlags(0x04), 0u);       // memory image: never
  EXPECT_EQ(PlaySoundFlags(0x20004), 0u);    // nor a resource or file name flag
  EXPECT_EQ(PlaySoundFlags(-1), 0x1Bu);
}

}  // namespace
}  // namespace vestil::sound
