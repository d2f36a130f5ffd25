// Sound of the Windows build: the default beep, MCI command strings, the
// speaker tone, wave files and MIDI through the mapper (winmm).
#include "platform/win32/win32_util.h"

#include <mmsystem.h>

#include "platform/win32/win32_host.h"

namespace vestil {

void Win32Sound::DefaultBeep() { MessageBeep(0); }

uint32_t Win32Sound::MciCommand(std::string_view command, std::string& reply) {
  std::string cmd(command);
  char buf[256] = {0};
  MCIERROR code = mciSendStringA(cmd.c_str(), buf, 255, nullptr);
  if (code != 0) {
    buf[0] = '\0';
    mciGetErrorStringA(code, buf, 255);
  }
  reply = buf;
  return static_cast<uint32_t>(code);
}

void Win32Sound::Tone(uint32_t frequency, uint32_t ms) { ::Beep(frequency, ms); }

void Win32Sound::PlayWave(std::string_view file, uint32_t flags) {
  std::string f(file);
  sndPlaySoundA(f.c_str(), flags);
}

unsigned Win32Sound::MidiOutputDevices() { return midiOutGetNumDevs(); }

bool Win32Sound::MidiOpen() {
  HMIDIOUT out = nullptr;
  if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  midi_ = out;
  return true;
}

void Win32Sound::MidiMessage(uint32_t message) {
  if (midi_) midiOutShortMsg(static_cast<HMIDIOUT>(midi_), message);
}

void Win32Sound::MidiClose() {
  if (midi_) midiOutClose(static_cast<HMIDIOUT>(midi_));
  midi_ = nullptr;
}

void Win32Sound::Nap() { Sleep(1); }

}  // namespace vestil
