#include "frontend/win32/show_form_win32.h"

#include "frontend/nerlo_b_texts.h"
#include "frontend/text_cp932.h"
#include "frontend/win32/win32_text.h"

namespace Nerlo_B {
namespace {

constexpr wchar_t kClassName[] = L"Nerlo_S";

Nerlo_S* FormOf(HWND hWnd) { return reinterpret_cast<Nerlo_S*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)); }

void OnTimer(Nerlo_S& form, UINT_PTR nId) {
    switch (static_cast<ShowTimer>(nId)) {
        case ShowTimer::Timer1: form.Timer1_Timer(); break;
        case ShowTimer::Timer2: form.Timer2_Timer(); break;
        case ShowTimer::Timer3: form.Timer3_Timer(); break;
    }
}

LRESULT CALLBACK ShowFormProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_NCCREATE) {
        const auto* pCreate = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    Nerlo_S* pForm = FormOf(hWnd);
    if (pForm != nullptr) {
        switch (nMessage) {
            case WM_TIMER:
                OnTimer(*pForm, wParam);
                return 0;
            // Every way the form can be closed unloads it; the unload ends the process.
            case WM_CLOSE:
            case WM_QUERYENDSESSION:
                pForm->Form_QueryUnload();
                return nMessage == WM_QUERYENDSESSION ? TRUE : 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

}  // namespace

HWND CreateShowFormWindow(HINSTANCE hInstance, Nerlo_S& form) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ShowFormProc;
    windowClass.hInstance = hInstance;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) return nullptr;
    // An ordinary top-level window (not message-only), so FindWindow sees it; it is never shown.
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, WideOf(Utf8ToUtf16(Texts::kShowFormCaption)).c_str(),
                             WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, hInstance, &form);
}

}  // namespace Nerlo_B
