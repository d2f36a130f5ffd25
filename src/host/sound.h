#pragma once
// Sound: the default beep, multimedia command strings, the speaker tone,
// wave files and the MIDI output.
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void DefaultBeep() = 0;
  // mciSendString: the code (0 success) and the reply, or the error text.
  virtual uint32_t MciCommand(std::string_view command, std::string& reply) = 0;
  static constexpr uint32_t kMciNotAvailable = 263;  // MCIERR_INVALID_DEVICE_NAME

  // Beep: a speaker tone of the frequency for ms milliseconds.
  virtual void Tone(uint32_t frequency, uint32_t ms) = 0;
  // sndPlaySound of a wave file with its flags; the result is not used.
  virtual void PlayWave(std::string_view file, uint32_t flags) = 0;

  // The MIDI output: midiOutGetNumDevs, midiOutOpen of the MIDI mapper
  // (false when it fails), midiOutShortMsg and midiOutClose of the device
  // opened last.
  virtual unsigned MidiOutputDevices() = 0;
  virtual bool MidiOpen() = 0;
  virtual void MidiMessage(uint32_t message) = 0;
  virtual void MidiClose() = 0;
  // Lets about a millisecond pass while music polls the tick count.
  virtual void Nap() = 0;
};

}  // namespace vestil
