// A stand-in for Vantorel.dll: the test program itself, copied into a program folder under that name,
// plays a renderer whose timing the test chooses (a slow display switch, a window that comes late or
// never). Its plan lies beside it in stand_in.txt.
#pragma once
#include <string>

namespace vtest {

// The path of this running program.
std::wstring OwnPath();

// True when this program was started as Vantorel.dll.
bool RunningAsStandInRenderer();

// Waits the planned delay, shows a "Nerlo_VC" window for the planned time (none when negative), ends.
void RunStandInRenderer();

// Called from a test file's static initialiser: as Vantorel.dll the program is the stand-in and
// nothing else, and ends before any test is even registered. Returns false otherwise.
bool RunAsStandInRendererIfNamedSo();

// A program folder with Vantorel.scr and this program as its Vantorel.dll, with the plan written.
std::wstring MakeStandInFolder(const std::wstring& sName, int nDelayMs, int nWindowMs);

}  // namespace vtest
