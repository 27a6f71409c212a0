// Tells the running renderer what Windows tells it when the display's power changes, for
// scripts/measure-display-off-cpu.sh (Wine sends no such notification of its own):
//   send_power_setting.exe console|monitor VALUE
// console: GUID_CONSOLE_DISPLAY_STATE (0 off, 1 on, 2 dimmed); monitor: GUID_MONITOR_POWER_ON (0 off, 1 on).
// Exit code 0 once Nerlo_VC handled it, 1 without such a window or when it did not answer, 2 on a bad line.
#include <cstdlib>
#include <cstring>
#include <cstdio>

#include "support/win32_test_support.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "console") != 0 && std::strcmp(argv[1], "monitor") != 0)) {
        std::fprintf(stderr, "usage: send_power_setting console|monitor VALUE\n");
        return 2;
    }
    char* pEnd = nullptr;
    const unsigned long nValue = std::strtoul(argv[2], &pEnd, 10);
    if (pEnd == argv[2] || *pEnd != '\0') {
        std::fprintf(stderr, "send_power_setting: not a number: %s\n", argv[2]);
        return 2;
    }
    HWND hWnd = vtest::FindTopLevel("Nerlo_VC");
    const GUID& setting = argv[1][0] == 'c' ? vtest::kConsoleDisplayState : vtest::kMonitorPowerOn;
    return hWnd && vtest::SendPowerSetting(hWnd, setting, static_cast<DWORD>(nValue)) ? 0 : 1;
}
