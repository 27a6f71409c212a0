// The scene clock on Windows: the system's millisecond tick count.
#pragma once
#include <windows.h>

#include "renderer/tick_count.h"

class CSystemTickCount : public ITickCount {
public:
    uint32_t GetTickCount() override { return ::GetTickCount(); }
};
