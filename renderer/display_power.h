// Whether the renderer draws, from what the system says about the display's power. Windows turns the
// display off after the power plan's timeout and leaves the screensaver running; frames nobody can see
// are a core and the graphics processor spent for nothing. The system's word comes as the bytes of a
// POWERBROADCAST_SETTING: the setting's GUID (16 bytes as in memory), its data length (a little-endian
// 32-bit count) and the data, here one 32-bit value.
#pragma once
#include <cstddef>

enum class DisplayPower { On, Dimmed, Off };

// The two settings the renderer asks for, as a GUID lies in memory: GUID_CONSOLE_DISPLAY_STATE
// {6fe69556-704a-47a0-8f24-c28d936fda47} and GUID_MONITOR_POWER_ON {02731015-4510-4526-99e6-e5a17ebd1aea}.
extern const unsigned char kConsoleDisplayStateId[16];
extern const unsigned char kMonitorPowerOnId[16];

class CDisplayPower {
public:
    // One setting change, a record of nBytes. GUID_CONSOLE_DISPLAY_STATE (Windows 8 and later:
    // 0 off, 1 on, 2 dimmed) decides from the first time it comes; before that GUID_MONITOR_POWER_ON
    // (Windows 7: 0 off, 1 on) does, since newer systems send both and only the first knows dimmed.
    // Another setting, a short or inconsistent record, or data that is not one 32-bit value changes
    // nothing; an unknown value counts as on, so a surprise never leaves the screen still.
    void OnSetting(const unsigned char* pRecord, std::size_t nBytes);

    DisplayPower State() const { return eState; }
    // Off is the one state without frames; dimmed is still seen.
    bool Draws() const { return eState != DisplayPower::Off; }

private:
    DisplayPower eState = DisplayPower::On;
    bool bConsoleStateSeen = false;
};
