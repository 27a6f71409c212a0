// The scene clock on Windows: the system's millisecond tick count, widened across its 49.7-day wraps.
#pragma once
#include <windows.h>

#include "renderer/tick_count.h"

class CSystemTickCount : public CWideningTickCount {
protected:
    uint32_t ReadTicks32() override { return ::GetTickCount(); }
};
