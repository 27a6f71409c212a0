// The background music as the show form drives it: start at load, one call per watch-timer tick,
// stop at unload. The MCI and sound-player work behind it lives in the implementation.
#pragma once

#include <cstdint>
#include <string>

namespace Nerlo_BGM {

class CMusicPlayer {
public:
    virtual ~CMusicPlayer() = default;

    // Audio CD: open the device; then one tick every 200 ms; stop and close.
    virtual void CD_Open() = 0;
    virtual void CD_Watch(std::int16_t BGM_RepeatTrack) = 0;
    virtual void CD_Stop() = 0;
    // The verdict of the last CD_Watch: false ends the CD watch for good.
    virtual bool CD_Continue() const = 0;

    // WAV file: loops by itself until stopped.
    virtual void WAV_Play(const std::string& BGM_File) = 0;
    virtual void WAV_Stop() = 0;

    // MP3 file: open and play; one tick every 1000 ms restarts it when it has ended; stop and close.
    virtual void MP3_Play(const std::string& BGM_File) = 0;
    virtual void MP3_Watch() = 0;
    virtual void MP3_Stop() = 0;
};

}  // namespace Nerlo_BGM
