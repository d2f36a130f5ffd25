// The music language, MIDINOTES, BEEP and PLAYSOUND on a recording MIDI output and a waited-on clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "data/sound/music.h"

namespace vestil::sound {
namespace {

// Appends "TIME:MESSAGE" (hex; the time since the first tick), or an open "[TIME" or close "]TIME".
void Add(std::string& list, uint32_t time, uint32_t msg, char mark = 0) {
  char buf[32];
  std::snprintf(buf, sizeof buf, mark ? "%c%u" : "%u:%x", mark ? mark : time, mark ? time : msg);
  list += list.empty() ? "" : " ";
  list += buf;
}

// Records the messages, and in `log` also the opens and closes.
class Recorder : public MidiSink, public MusicClock {
 public:
  explicit Recorder(uint32_t base = 1000) : base_(base), now_(base) {}
  unsigned OutputDevices() override { return devices; }
  bool Open() override {
    EXPECT_FALSE(open_) << "opened twice";
    Add(log, now_ - base_, 0, '[');
    return open_ = open_ok;
  }
  void ShortMessage(uint32_t msg) override {
    EXPECT_TRUE(open_) << "message to a closed device";
    ++sent;
    Add(log, now_ - base_, msg);
    Add(msgs, now_ - base_, msg);
  }
  void Close() override {
    EXPECT_TRUE(open_) << "closed without opening";
    open_ = false;
    Add(log, now_ - base_, 0, ']');
  }
  uint32_t Now() override { return now_; }
  void WaitUntil(uint32_t start, uint32_t ms) override { now_ = now_ - start < ms ? start + ms : now_; }
  bool Pump() override { return ++pumps != stop_at_pump; }
  uint32_t Elapsed() const { return now_ - base_; }

  std::string log, msgs;
  size_t sent = 0;
  unsigned devices = 2;
  bool open_ok = true;
  size_t pumps = 0;
  size_t stop_at_pump = 0;  // 0: never
  uint32_t base_;
  uint32_t now_;
  bool open_ = false;
};

std::string Played(std::string_view music, MusicState& state, Recorder& r) {
  Play(music, state, r, r);
  return r.msgs;
}

// Default state: tempo 120, length 4, octave 4, volume 100, channel 0.
TEST(Music, NotesLengthsArticulationAndState) {
  MusicState state;
  Recorder wraps(0xFFFFFE00u);  // a clock that wraps during the melody
  PlayResult res = Play("T120 L4 O4 C D E", state, wraps, wraps);
  EXPECT_EQ(res.commands, 6u);  // blanks are no commands
  EXPECT_EQ(wraps.pumps, 6u);
  EXPECT_EQ(wraps.log, "[0 0:643090 437:3090 ]500 [500 500:643290 937:3290 ]1000 [1000 1000:643490 1437:3490 ]1500");
  // Dotted eighth 375 (sounding 7/8: 328); its own length does not change the
  // default; ML sounds the whole note, MS half of it.
  Recorder r;
  EXPECT_EQ(Played("C8. ML D MS E mn F", state, r),
            "0:643090 328:3090 375:643290 875:3290 875:643490 1125:3490 1375:643590 1812:3590");
  EXPECT_EQ(r.Elapsed(), 1875u);
  EXPECT_EQ(state.articulation, 'N');
  // Lengths 1 and 64 (31.25 -> 31; dotted 46.875 -> 47), L sets the default,
  // sharps, flats, a dotted pause of 750.
  Recorder r2;
  EXPECT_EQ(Played("ML C1 C64 C64. L2 C# D+ E- P4. B", state, r2),
            "0:643090 2000:3090 2000:643090 2031:3090 2031:643090 2078:3090 2078:643190 3078:3190 "
            "3078:643390 4078:3390 4078:643390 5078:3390 5828:643b90 6828:3b90");
  // K outside 0..15 gives channel 0; V above 127 plays at 127; I sends at
  // once on the current channel; O, < and > stay within 0..6; V0 is velocity 0.
  MusicState s3;
  Recorder r3;
  EXPECT_EQ(Played("K20 C K15 V200 I5 O9 C > C O0 < < D I128 K16 V0 O4 C", s3, r3),
            "0:643090 437:3090 500:5cf 500:7f489f 937:489f 1000:7f489f 1437:489f 1500:7f029f 1937:29f "
            "2000:3090 2437:3090");
  EXPECT_EQ(s3.octave * 100 + s3.channel * 10 + s3.volume, 400);
  // The state persists between melodies.
  Recorder r4;
  Play("T60 O2 L8 V127 K9", s3, r4, r4);
  EXPECT_EQ(Played("C", s3, r4), "0:7f1899 437:1899");
  // T0 and L0 make notes of 0 ms; T1 L1 is 240 s (360 s dotted); a huge
  // tempo saturates and rounds to 0. O0 C is key 0 and C- key -1: not
  // sounded, but they take their time; B# of octave 6 is key 84.
  MusicState s5;
  Recorder r5;
  EXPECT_EQ(Played("T0 C L0 T120 D T1 L1 E. T99999999999999999999 F T120 L4 O0 C C- O6 B#", s5, r5),
            "0:643090 0:3090 0:643290 0:3290 0:643490 315000:3490 360000:643590 360000:3590 "
            "361000:645490 361437:5490");
  EXPECT_EQ(NoteDuration(960, 100, false), 2u);  // 2.5 ms: halves round to even
}

TEST(Music, PumpStopsAndFailedOpenKeepsTime) {
  MusicState state;
  Recorder r, r2;
  r.stop_at_pump = 2;
  const PlayResult stopped = Play("C D E", state, r, r);
  EXPECT_TRUE(stopped.stopped && stopped.commands == 2 && r.sent == 4);
  r2.open_ok = false;  // nothing sounds, but the notes take their time
  const PlayResult failed = Play("C I3 D", state, r2, r2);
  EXPECT_TRUE(failed.open_failed && r2.sent == 0 && r2.Elapsed() == 1000);
}

TEST(MidiNotes, ChordsLengthsAndExtensions) {
  const int32_t chord[] = {61, 65, 68};
  // {length, extension, messages}: the extension adds halves of the note;
  // -1 is the byte 255 (e = 2000/3 = 666, e/2 = 333); above 2000 waits 0;
  // length 0 sends no note-off.
  const std::tuple<int32_t, int32_t, std::string> rows[] = {
      {4, 1, "0:7f3c90 0:7f4091 0:7f4392 750:3c90 750:4091 750:4392"},
      {3, -1, "0:7f3c90 0:7f4091 0:7f4392 85581:3c90 85581:4091 85581:4392"},
      {2001, 7, "0:7f3c90 0:7f4091 0:7f4392 0:3c90 0:4091 0:4392"},
      {0, 0, "0:7f3c90 0:7f4091 0:7f4392"}};
  for (const auto& [length, extension, want] : rows) {
    Recorder r;
    ASSERT_TRUE(MidiNotes(chord, length, extension, r, r));
    EXPECT_EQ(r.msgs, want) << length;
  }
  Recorder r;
  ASSERT_TRUE(MidiNotes(chord, 4, 0, r, r));
  EXPECT_EQ(r.log, "[0 0:7f3c90 0:7f4091 0:7f4392 500:3c90 500:4091 500:4392 ]500");
  // Sixteen notes go to channels 0..15 with 3 and 9 exchanged (a 17th is not read);
  // a note n sounds key n - 1; negative values are note-offs without a note-off at
  // the end; 0 sends nothing; values are kept as their low byte.
  const int32_t notes[] = {20, -61, 0, 23, 24, 256 + 11, -128, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};
  Recorder all;
  ASSERT_TRUE(MidiNotes(notes, 8, 0, all, all));
  EXPECT_EQ(all.msgs,
            "0:7f1390 0:3c91 0:7f1699 0:7f1794 0:7f0a95 0:7f96 0:7f1a97 0:7f1b98 0:7f1c93 0:7f1d9a 0:7f1e9b 0:7f1f9c "
            "0:7f209d 0:7f219e 0:7f229f 250:1390 250:1699 250:1794 250:a95 250:1a97 250:1b98 250:1c93 250:1d9a "
            "250:1e9b 250:1f9c 250:209d 250:219e 250:229f");
  EXPECT_EQ(MidiNotesChannel(3) * 100 + MidiNotesChannel(9), 903);
}

TEST(MidiNotes, ProgramChangesAndMissingDevice) {
  Recorder r;
  const int32_t programs[] = {1, 1, 1, 35};
  ASSERT_TRUE(MidiNotes(programs, -1, 0, r, r));
  EXPECT_EQ(r.log, "[0 0:1c0 0:1c1 0:1c2 ]0");
  // The tenth note is channel 3's program; a negative value, or a length below -1, sends nothing.
  const std::vector<int32_t> ten = {0, -5, 127, 9, 0, 0, 0, 0, 0, 42};
  Recorder r2;
  ASSERT_TRUE(MidiNotes(ten, -1, 0, r2, r2));
  EXPECT_EQ(r2.msgs, "0:c0 0:7fc2 0:c4 0:c5 0:c6 0:c7 0:c8 0:2ac3");
  Recorder r3;
  ASSERT_TRUE(MidiNotes(ten, -2, 0, r3, r3));
  EXPECT_EQ(r3.msgs, "");
  // At most one output device, or the mapper not opening: refused, nothing sent.
  Recorder one;
  one.devices = 1;
  EXPECT_FALSE(MidiNotes(programs, 4, 0, one, one));
  EXPECT_EQ(one.log, "");
  Recorder closed;
  closed.open_ok = false;
  EXPECT_FALSE(MidiNotes(programs, 4, 0, closed, closed));
  EXPECT_EQ(closed.msgs, "");
}

// BEEP's duration factor 0.37999696 (80-bit); PLAYSOUND's flags without memory, resource or file name.
TEST(Beep, DurationFactorAndFlags) {
  EXPECT_EQ(BeepDuration(1000) * 10 + BeepDuration(2), 3801u);
  EXPECT_EQ(BeepDuration(2147483647), 816037258u);
  EXPECT_EQ(PlaySoundFlags(0x1B) * 10 + PlaySoundFlags(0x04) + PlaySoundFlags(0x20004), 0x1Bu * 10);
  EXPECT_EQ(PlaySoundFlags(-1), 0x1Bu);
}

}  // namespace
}  // namespace vestil::sound
