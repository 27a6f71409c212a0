#include "frontend/command_button/win32/command_window.h"

#include <memory>
#include <string>

#include "frontend/command_button/command.h"
#include "frontend/text_cp932.h"
#include "resource.h"

namespace Nerlo_Command {

namespace {

constexpr wchar_t kClassName[] = L"Nerlo.Command";
constexpr UINT_PTR kPollTimer = 1;

// The six skin pictures, loaded once for every button of the process.
HBITMAP g_aSkins[6] = {};
void FillPixels(HDC hdc, int x, int y, int w, int h, COLORREF c) {
    if (w <= 0 || h <= 0) return;
    HBRUSH hBrush = ::CreateSolidBrush(c);
    RECT r{x, y, x + w, y + h};
    ::FillRect(hdc, &r, hBrush);
    ::DeleteObject(hBrush);
}

// The gradient record: vertex 0 at (0, 0) with the top colour, vertex 1 at (W - 1, H - 1) with the
// bottom colour.
void FillGradientRecord(const FaceLayout& face, TRIVERTEX (&aVertex)[2], GRADIENT_RECT& rect) {
    aVertex[0] = {0, 0, face.top.nRed, face.top.nGreen, face.top.nBlue, face.top.nAlpha};
    aVertex[1] = {face.nGradientRight, face.nGradientBottom, face.bottom.nRed, face.bottom.nGreen,
                  face.bottom.nBlue, face.bottom.nAlpha};
    // Named from the bottom vertex to the top one; the fill orders the rows by y either way.
    rect.UpperLeft = 1;
    rect.LowerRight = 0;
}

// Per-window state: the portable button and what its last paint asked for.
class CWindowHost : public CCommandHost {
public:
    HWND hWnd = nullptr;
    HFONT hFont = nullptr;
    Skin eSkin = Skin::Normal;
    FaceLayout face;
    bool bPainted = false;
    std::unique_ptr<CCommand> pButton;

    void DrawFace(Skin eNew, const FaceLayout& faceNew) override {
        eSkin = eNew;
        face = faceNew;
        bPainted = true;
        if (hWnd) ::InvalidateRect(hWnd, nullptr, FALSE);
    }
    void RaiseClick() override {
        const HWND hParent = ::GetParent(hWnd);
        ::PostMessageW(hParent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hWnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(hWnd));
    }
    void PropertyChanged(const char*) override {
        if (hWnd) ::InvalidateRect(hWnd, nullptr, FALSE);
    }
    void StartPollTimer(std::uint32_t nMs) override { ::SetTimer(hWnd, kPollTimer, nMs, nullptr); }

    void PaintContent(HDC hdc) {
        RECT client;
        ::GetClientRect(hWnd, &client);
        FillPixels(hdc, 0, 0, client.right, client.bottom, ::GetSysColor(COLOR_BTNFACE));
        if (pButton->IsOpaque() && bPainted) {
            TRIVERTEX aVertex[2] = {};
            GRADIENT_RECT rect{};
            FillGradientRecord(face, aVertex, rect);
            ::GradientFill(hdc, aVertex, 2, &rect, 1, GRADIENT_FILL_RECT_V);
            // The eight border slices, stretched along their length only; the centre keeps the gradient.
            // Where a side shrinks on a small button, whole rows of the skin are dropped; the default
            // mode would AND neighbouring rows together and darken the shaded side columns.
            const int nOldMode = ::SetStretchBltMode(hdc, COLORONCOLOR);
            HDC hSkinDc = ::CreateCompatibleDC(hdc);
            HGDIOBJ hOldBitmap = ::SelectObject(hSkinDc, g_aSkins[static_cast<int>(eSkin)]);
            for (int i = 0; i < face.nSlices; ++i) {
                const Rect& s = face.aSlices[i].sourcePixels;
                const Rect& d = face.aSlices[i].destinationPixels;
                ::StretchBlt(hdc, d.x, d.y, d.w, d.h, hSkinDc, s.x, s.y, s.w, s.h, SRCCOPY);
            }
            ::SelectObject(hSkinDc, hOldBitmap);
            ::DeleteDC(hSkinDc);
            ::SetStretchBltMode(hdc, nOldMode);
        }
        const CaptionLabel& label = pButton->Label();
        const std::u16string sText = Nerlo_B::Utf8ToUtf16(label.sCaption);
        const int nTop = static_cast<int>(label.fTop / kTwipsPerPixel);
        RECT r{0, nTop, client.right, nTop + label.nHeight / kTwipsPerPixel};
        HGDIOBJ hOld = ::SelectObject(hdc, hFont);
        ::SetBkMode(hdc, TRANSPARENT);
        ::SetTextColor(hdc, label.bEnabled ? label.nColour : ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextW(hdc, reinterpret_cast<const wchar_t*>(sText.c_str()), static_cast<int>(sText.size()), &r,
                    DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(hdc, hOld);
    }
};

CWindowHost* HostOf(HWND hWnd) { return reinterpret_cast<CWindowHost*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)); }

LRESULT CALLBACK CommandProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    CWindowHost* pHost = HostOf(hWnd);
    if (nMessage == WM_NCCREATE) {
        pHost = static_cast<CWindowHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pHost->hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pHost));
    }
    if (pHost == nullptr || !pHost->pButton) return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
    CCommand& button = *pHost->pButton;
    switch (nMessage) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC hdc = ::BeginPaint(hWnd, &ps);
            pHost->PaintContent(hdc);
            ::EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            pHost->PaintContent(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
            button.OnMouseMove();
            return 0;
        case WM_LBUTTONDOWN:
            // The press gives the focus before the button-down step: an unfocused button under the
            // pointer goes HighLight -> HighLightSelect with the Pressed face.
            if (button.IsEnabledFlag()) ::SetFocus(hWnd);
            ::SetCapture(hWnd);
            button.OnMouseDown(MouseButton::Left);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            button.OnMouseDown(nMessage == WM_RBUTTONDOWN ? MouseButton::Right : MouseButton::Middle);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            if (nMessage == WM_LBUTTONUP) ::ReleaseCapture();
            // A release away from the button is not "over the button": let the poll decide first.
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT r;
            ::GetClientRect(hWnd, &r);
            if (!::PtInRect(&r, pt)) button.OnPollTick(true);
            button.OnMouseUp(nMessage == WM_LBUTTONUP   ? MouseButton::Left
                             : nMessage == WM_RBUTTONUP ? MouseButton::Right
                                                        : MouseButton::Middle);
            return 0;
        }
        case WM_SETFOCUS:
            button.OnGotFocus();
            return 0;
        case WM_KILLFOCUS: {
            // Only a move to another control of the same form is a lost focus. When the form itself
            // is deactivated (another program, the file dialog) the button keeps its focused state,
            // and the form gives it the focus back when it is active again.
            const HWND hNew = reinterpret_cast<HWND>(wParam);
            const HWND hForm = ::GetParent(hWnd);
            if (hNew != nullptr && (hNew == hForm || ::IsChild(hForm, hNew))) button.OnLostFocus();
            return 0;
        }
        case WM_TIMER:
            if (wParam == kPollTimer) {
                POINT pt;
                if (::GetCursorPos(&pt)) {
                    const HWND hUnder = ::WindowFromPoint(pt);
                    button.OnPollTick(PointerIsElsewhere(reinterpret_cast<std::uintptr_t>(hUnder),
                                                         reinterpret_cast<std::uintptr_t>(hWnd),
                                                         reinterpret_cast<std::uintptr_t>(::GetParent(hWnd))));
                }
            }
            return 0;
        case WM_SIZE:
            button.OnResize(LOWORD(lParam) * kTwipsPerPixel, HIWORD(lParam) * kTwipsPerPixel);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_BUTTON;
        case WM_NCDESTROY: {
            ::KillTimer(hWnd, kPollTimer);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            delete pHost;
            return 0;
        }
    }
    return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

}  // namespace

bool RegisterCommandClass(HINSTANCE hInstance) {
    for (int i = 0; i < 6; ++i) {
        if (g_aSkins[i] == nullptr)
            g_aSkins[i] = ::LoadBitmapW(hInstance, MAKEINTRESOURCEW(IDB_SKIN_NORMAL + i));
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CommandProc;
    windowClass.hInstance = hInstance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateCommandWindow(HWND hParent, int nId, int x, int y, int nWidth, int nHeight, const char* pszCaption,
                         bool bEnabled, HFONT hFont) {
    auto* pHost = new CWindowHost;
    pHost->hFont = hFont;
    pHost->pButton = std::make_unique<CCommand>(*pHost, nWidth * kTwipsPerPixel, nHeight * kTwipsPerPixel);
    PropertyBag bag;
    bag.aValues["Caption"] = pszCaption;
    if (!bEnabled) bag.aValues["Enabled"] = "False";
    pHost->pButton->ReadProperties(bag, FontDesc{});
    HWND hWnd = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, nWidth, nHeight,
                                  hParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)),
                                  reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hParent, GWLP_HINSTANCE)), pHost);
    if (hWnd == nullptr) delete pHost;
    return hWnd;
}

void InitializeCommand(HWND hButton) {
    if (CWindowHost* pHost = HostOf(hButton)) pHost->pButton->Initialize();
}

void SetCommandEnabled(HWND hButton, bool bEnabled) {
    if (CWindowHost* pHost = HostOf(hButton)) pHost->pButton->SetEnabled(bEnabled);
}

}  // namespace Nerlo_Command
