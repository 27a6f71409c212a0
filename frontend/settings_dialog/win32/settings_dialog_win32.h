// The settings dialog Nerlo_P as a Win32 window, shown modally; returns when it has closed.
#pragma once
#include <windows.h>

#include "frontend/frontend_port.h"
#include "frontend/startup.h"

namespace Nerlo_P {

void ShowSettingsDialog(HINSTANCE hInstance, Nerlo_B::CFrontEndPort& port, Nerlo_B::FrontEndState& state);

}  // namespace Nerlo_P
