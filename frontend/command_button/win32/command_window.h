// The Command button as a child window of class "Nerlo.Command". A click reaches the parent as
// WM_COMMAND with BN_CLICKED and the control's id.
#pragma once
#include <windows.h>

namespace Nerlo_Command {

bool RegisterCommandClass(HINSTANCE hInstance);
// Reads its properties (caption, enabled, font) and is ready; Initialize arms the poll.
HWND CreateCommandWindow(HWND hParent, int nId, int x, int y, int nWidth, int nHeight, const char* pszCaptionUtf8,
                         bool bEnabled, HFONT hFont);
void InitializeCommand(HWND hButton);
void SetCommandEnabled(HWND hButton, bool bEnabled);

}  // namespace Nerlo_Command
