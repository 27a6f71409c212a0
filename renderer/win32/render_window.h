// The renderer's fullscreen window, its OpenGL context and its message handling.
#pragma once
#include <windows.h>

#include "renderer/display_power.h"
#include "renderer/key_table.h"
#include "renderer/win32/monitor_views.h"

extern bool bActive;
extern CKeyTable cKeyTable;
// The display's power as the system last reported it: while it is off the loop draws nothing.
extern CDisplayPower cDisplayPower;
extern HINSTANCE hRenderInstance;
extern HWND hRenderWnd;
extern HDC hRenderDC;
extern HGLRC hRenderRC;
// The scene (or black) on every monitor but the primary.
extern CMonitorViews cMonitorViews;

// The display-mode request: all zero but the size field, width, height, depth and their field mask.
inline constexpr WORD kDisplayModeRecordSize = 148;
DEVMODEA RenderDisplayMode(int nWidth, int nHeight, int nBits);

// Everything from the window class to the scene set-up; true when the window shows a ready scene.
bool OpenRenderWindow(const char* pszTitle, int nWidth, int nHeight, int nBits);
// Undoes OpenRenderWindow, also after a partial open: the other monitors' windows go first, then
// the display mode and cursor come back, then the window goes.
void CloseRenderWindow();
LRESULT CALLBACK RenderWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
