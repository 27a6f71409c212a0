// The show form's window: hidden, titled "Nerlo_Main" so that a second start finds it, and the
// owner of the three timers. It forwards timer ticks and every close to the Nerlo_S controller.
#pragma once
#include <windows.h>

#include "frontend/show_run.h"

namespace Nerlo_B {

// Creates the hidden window for the controller; null when that failed.
HWND CreateShowFormWindow(HINSTANCE hInstance, Nerlo_S& form);

}  // namespace Nerlo_B
