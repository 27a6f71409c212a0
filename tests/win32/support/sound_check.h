// Sound for the Win32 tests: a test tone to play, and an ear on the sound card. Under the Wine
// environment the card is PulseAudio's null sink, and the default input records its monitor, so what
// a program plays can be heard.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace vtest {

// The ear's sample rate, and the tone's.
constexpr int kToneRate = 22050;
// Silence records as 0; the test tones are at half scale, about 11000 RMS.
constexpr double kSoundRms = 1000.0;
constexpr double kSilenceRms = 50.0;

// A WAV file's bytes: a 440 Hz sine at half scale, 16-bit mono PCM, nMs long.
std::string ToneWavBytes(int nMs);

// Records nMs of the default input and returns its RMS level; empty when nothing could be recorded.
std::optional<double> RecordRms(DWORD nMs);

// The sound server and the MP3 decoder take their time to start and to drain: these listen in short
// takes until the level is reached or nWithinMs have passed.
bool HearsSound(DWORD nWithinMs);
bool HearsSilence(DWORD nWithinMs);

}  // namespace vtest
