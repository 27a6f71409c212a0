#include "frontend/settings_dialog/win32/settings_dialog_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "frontend/command_button/win32/command_window.h"
#include "frontend/settings_dialog/nerlo_p.h"
#include "frontend/settings_dialog/nerlo_p_texts.h"
#include "frontend/text_cp932.h"
#include "resource.h"

namespace Nerlo_P {

namespace {

constexpr wchar_t kClassName[] = L"Nerlo_P";
constexpr int kClientW = 496, kClientH = 243;
constexpr int kPicX = 12, kPicY = 16, kPicW = 469, kPicH = 165;
enum { kIdRepeat = 10, kIdFile = 11, kIdSet = 12, kIdCan = 13 };
// The author's page; shown as the link's caption and opened as it is.
constexpr char kAuthorAddress[] = "http://www.s-vell.jp/";

std::wstring W(const char* pszUtf8) {
    const std::u16string s = Nerlo_B::Utf8ToUtf16(pszUtf8);
    return std::wstring(s.begin(), s.end());
}

// Kind i: its radio mark and caption, in client coordinates.
RECT KindRect(int i) {
    const int aY[3] = {76, 56, 96};
    return RECT{kPicX + 28, kPicY + aY[i], kPicX + 44 + 70, kPicY + aY[i] + 13};
}
const RECT kUrlRect{12, 208, 200, 222};

class CDialogWindow : public CSettingsDialogPort {
public:
    CDialogWindow(Nerlo_B::CFrontEndPort& port, Nerlo_B::FrontEndState& state) : form(port, *this, state) {}
    CNerloP form;
    HWND hWnd = nullptr, hRepeat = nullptr, hFile = nullptr;
    HFONT hFont = nullptr, hUrlFont = nullptr;
    HCURSOR hLinkCursor = nullptr;
    bool bDone = false;
    // The screen-wide pointer (0 default, 11 hourglass): while it is set, it is the cursor over
    // every window of the dialog, whatever each would show of its own.
    int nScreenPointer = 0;
    CLinkClick link;
    // The control that had the focus when the dialog was deactivated; it gets it back.
    HWND hFocusKept = nullptr;

    bool GetCursorPos(int& x, int& y) override {
        POINT pt;
        if (!::GetCursorPos(&pt)) return false;
        x = pt.x;
        y = pt.y;
        return true;
    }
    Rect GetWindowRect() override {
        RECT r{};
        ::GetWindowRect(hWnd, &r);
        return {r.left, r.top, r.right, r.bottom};
    }
    void DrawAnimatedRects(int nAnimation, const Rect& from, const Rect& to) override {
        const RECT a{from.nLeft, from.nTop, from.nRight, from.nBottom}, b{to.nLeft, to.nTop, to.nRight, to.nBottom};
        ::DrawAnimatedRects(hWnd, nAnimation, &a, &b);
    }
    std::int32_t GetOpenFileNameA(const OpenFileRequest& request, std::string& sFile) override {
        std::string sFilter = request.sFilter + '\0';
        std::vector<char> aFile(request.nFileBufferSize + 1, '\0'), aTitle(request.nTitleBufferSize + 1, '\0');
        OPENFILENAMEA record = {};
        record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        record.hwndOwner = hWnd;
        record.hInstance = ::GetModuleHandleW(nullptr);
        record.lpstrFilter = sFilter.c_str();
        record.lpstrFile = aFile.data();
        record.nMaxFile = request.nFileBufferSize;
        record.lpstrFileTitle = aTitle.data();
        record.nMaxFileTitle = request.nTitleBufferSize;
        record.lpstrInitialDir = request.sInitialFolder.c_str();
        record.lpstrTitle = request.sTitle.c_str();
        record.Flags = request.nFlags;
        // The file dialog takes the focus away without deactivating through WM_ACTIVATE first (the
        // owner is disabled, which clears the focus): keep the control that has it now.
        const HWND hFocus = ::GetFocus();
        if (hFocus && ::IsChild(hWnd, hFocus)) hFocusKept = hFocus;
        const BOOL bOk = ::GetOpenFileNameA(&record);
        if (bOk) sFile = aFile.data();
        return bOk ? 1 : 0;
    }
    void ShellExecuteA(const std::string& sVerb, const std::string& sFile, const std::string& sParameters,
                       const std::string& sFolder, int nShowCmd) override {
        ::ShellExecuteA(hWnd, sVerb.c_str(), sFile.c_str(), sParameters.c_str(), sFolder.c_str(), nShowCmd);
    }
    void SetMousePointer(int nPointer) override {
        nScreenPointer = nPointer;
        if (nPointer == 11) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            return;
        }
        // Back to what the window under the pointer shows.
        POINT pt;
        ::GetCursorPos(&pt);
        HWND hUnder = ::WindowFromPoint(pt);
        if (hUnder && ::GetWindowThreadProcessId(hUnder, nullptr) == ::GetCurrentThreadId())
            ::SendMessageW(hUnder, WM_SETCURSOR, reinterpret_cast<WPARAM>(hUnder), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        else
            ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    }
    // WM_SETCURSOR: true when the dialog chose the cursor (children ask their parent first).
    bool OnSetCursor(HWND hUnder, int nHitTest) {
        if (nScreenPointer == 11) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            return true;
        }
        if (hUnder != hWnd || nHitTest != HTCLIENT) return false;
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(hWnd, &pt);
        if (!::PtInRect(&kUrlRect, pt)) return false;
        ::SetCursor(hLinkCursor);
        return true;
    }

    // After load and a kind choice, which set the combo box's and the file button's Enabled.
    void Sync() {
        const Controls& c = form.View();
        ::EnableWindow(hRepeat, c.bRepeatEnabled);
        Nerlo_Command::SetCommandEnabled(hFile, c.bFileButtonEnabled);
        RepaintMusicGroup();
    }
    // Marks and the file label; the file choice changes nothing else, so the file button keeps the
    // face of the state it is in (setting Enabled would repaint it with Normal).
    void RepaintMusicGroup() {
        RECT r{kPicX, kPicY, kPicX + kPicW, kPicY + kPicH};
        ::InvalidateRect(hWnd, &r, FALSE);
    }

    void PaintShade(HDC hdc, int x0, int y0, int w, int h, ShadeSurface eSurface) {
        const auto aRows = ShadeRows(h, eSurface);
        for (int y = 0; y < static_cast<int>(aRows.size()) && y < h; ++y) {
            HBRUSH hBrush = ::CreateSolidBrush(RGB(aRows[y].r, aRows[y].g, aRows[y].b));
            RECT r{x0, y0 + y, x0 + w, y0 + y + 1};
            ::FillRect(hdc, &r, hBrush);
            ::DeleteObject(hBrush);
        }
    }
    void Text(HDC hdc, const std::wstring& s, RECT r, COLORREF c, UINT nFormat = DT_LEFT) {
        ::SetTextColor(hdc, c);
        ::DrawTextW(hdc, s.c_str(), static_cast<int>(s.size()), &r, nFormat | DT_NOPREFIX);
    }
    void PaintContent(HDC hdc) {
        PaintShade(hdc, 0, 0, kClientW, kClientH, ShadeSurface::Form);
        PaintShade(hdc, kPicX, kPicY, kPicW, kPicH, ShadeSurface::PicC);
        ::SetBkMode(hdc, TRANSPARENT);
        HGDIOBJ hOld = ::SelectObject(hdc, hFont);
        RECT box{kPicX + 20, kPicY + 20, kPicX + 133, kPicY + 41};
        ::FrameRect(hdc, &box, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        Text(hdc, L"BGM", {kPicX + 20, kPicY + 24, kPicX + 131, kPicY + 37}, 0, DT_CENTER);
        const Controls& c = form.View();
        for (int i = 0; i < 3; ++i) {
            const RECT k = KindRect(i);
            RECT mark{k.left, k.top, k.left + 12, k.top + 12};
            HBRUSH hFill = ::CreateSolidBrush(c.aKindMarked[i] ? RGB(0x30, 0x50, 0xE0) : RGB(0xF4, 0xF4, 0xF4));
            ::FillRect(hdc, &mark, hFill);
            ::DeleteObject(hFill);
            ::FrameRect(hdc, &mark, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
            Text(hdc, W(Texts::kKindCaptions[i]), {k.left + 16, k.top, k.right, k.bottom + 2}, 0);
        }
        Text(hdc, W("曲目をﾘﾋﾟｰﾄ"), {kPicX + 156, kPicY + 56, kPicX + 260, kPicY + 70}, 0);
        // The path is in the system code page, as the file dialog gave it.
        std::wstring sFile(c.sFileCaption.size() + 1, L'\0');
        sFile.resize(::MultiByteToWideChar(CP_ACP, 0, c.sFileCaption.data(), static_cast<int>(c.sFileCaption.size()),
                                           sFile.data(), static_cast<int>(sFile.size())));
        Text(hdc, sFile, {kPicX + 72, kPicY + 116, kPicX + 445, kPicY + 149}, 0,
             DT_WORDBREAK);
        Text(hdc, L"Designed by s-vell Ver.1.0.0", {12, 192, 300, 206}, RGB(255, 255, 255));
        ::SelectObject(hdc, hUrlFont);
        Text(hdc, W(kAuthorAddress), kUrlRect, RGB(255, 255, 255));
        ::SelectObject(hdc, hOld);
    }

    void OnPress(POINT pt, CLinkClick::Button eButton) {
        for (int i = 0; i < 3; ++i) {
            const RECT k = KindRect(i);
            if (::PtInRect(&k, pt)) {
                form.ChooseKind(i);
                Sync();
                return;
            }
        }
        // Captured, so the release reaches the dialog wherever the pointer was dragged.
        if (link.OnPress(eButton, ::PtInRect(&kUrlRect, pt) != FALSE)) ::SetCapture(hWnd);
    }
    void OnRelease(POINT pt, CLinkClick::Button eButton) {
        const bool bClick = link.OnRelease(eButton, ::PtInRect(&kUrlRect, pt) != FALSE);
        if (eButton == CLinkClick::Button::Left && ::GetCapture() == hWnd) ::ReleaseCapture();
        if (bClick) form.lbl_URL_Click(kAuthorAddress);
    }
    void OnActivate(bool bActive) {
        if (!bActive) {
            HWND hFocus = ::GetFocus();
            if (hFocus && ::IsChild(hWnd, hFocus)) hFocusKept = hFocus;
            return;
        }
        if (hFocusKept && ::IsWindow(hFocusKept) && ::IsWindowEnabled(hFocusKept)) ::SetFocus(hFocusKept);
        else ::SetFocus(hWnd);
    }
    void Close() {
        form.Form_Unload();
        bDone = true;
        ::DestroyWindow(hWnd);
    }
    void OnCommand(int nId) {
        if (nId == kIdFile) {
            form.Cmd_File_Click();
            RepaintMusicGroup();
        } else if (nId == kIdSet) {
            wchar_t szText[64] = {};
            ::GetWindowTextW(hRepeat, szText, 63);
            std::string sText;
            for (const wchar_t* p = szText; *p; ++p) sText += *p < 128 ? static_cast<char>(*p) : '?';
            if (form.Cmd_Set_Click(sText)) Close();
        } else if (nId == kIdCan) {
            Close();
        }
    }
};

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

CLinkClick::Button ButtonOf(UINT nMessage) {
    switch (nMessage) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return CLinkClick::Button::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return CLinkClick::Button::Middle;
        default:
            return CLinkClick::Button::Left;
    }
}

LRESULT CALLBACK DialogProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    auto* p = reinterpret_cast<CDialogWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (nMessage == WM_NCCREATE) {
        p = static_cast<CDialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        p->hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
    }
    if (p == nullptr) return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
    switch (nMessage) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC hdc = ::BeginPaint(hWnd, &ps);
            p->PaintContent(hdc);
            ::EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            p->PaintContent(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            p->OnPress(PointOf(lParam), ButtonOf(nMessage));
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            p->OnRelease(PointOf(lParam), ButtonOf(nMessage));
            return 0;
        case WM_CAPTURECHANGED:
            // A press whose capture was taken away (another window, a system key) is no click.
            if (reinterpret_cast<HWND>(lParam) != hWnd) p->link.OnRelease(CLinkClick::Button::Left, false);
            return 0;
        case WM_SETCURSOR:
            if (p->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            break;
        case WM_ACTIVATE:
            // The focus stays where it was while another window is active; coming back, the control
            // that had it gets it again (the default would give it to the dialog window itself).
            p->OnActivate(LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam));
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) p->OnCommand(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            p->Close();
            return 0;
    }
    return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

}  // namespace

void ShowSettingsDialog(HINSTANCE hInstance, Nerlo_B::CFrontEndPort& port, Nerlo_B::FrontEndState& state) {
    Nerlo_Command::RegisterCommandClass(hInstance);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DialogProc;
    windowClass.hInstance = hInstance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(hInstance, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);

    CDialogWindow dialog(port, state);
    const DWORD nStyle = WS_CAPTION | WS_SYSMENU | WS_POPUP;
    RECT outer{0, 0, kClientW, kClientH};
    ::AdjustWindowRectEx(&outer, nStyle, FALSE, WS_EX_DLGMODALFRAME);
    const int nW = outer.right - outer.left, nH = outer.bottom - outer.top;
    HDC hScreen = ::GetDC(nullptr);
    const int nDpiX = ::GetDeviceCaps(hScreen, LOGPIXELSX), nDpiY = ::GetDeviceCaps(hScreen, LOGPIXELSY);
    ::ReleaseDC(nullptr, hScreen);
    const Point at = CentredFormPosition(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nW, nH,
                                         nDpiX > 0 ? 1440 / nDpiX : 15, nDpiY > 0 ? 1440 / nDpiY : 15);
    const int x = at.x, y = at.y;
    const std::wstring sCaption = W(Texts::kCaption);
    HWND hWnd = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, sCaption.c_str(), nStyle, x, y, nW, nH, nullptr,
                                  nullptr, hInstance, &dialog);
    if (hWnd == nullptr) return;

    // 9.75 points at 96 dots per inch: 13 pixels.
    LOGFONTW font = {};
    font.lfHeight = -13;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    const std::wstring sFace = W("ＭＳ Ｐゴシック");
    wcsncpy(font.lfFaceName, sFace.c_str(), LF_FACESIZE - 1);
    dialog.hFont = ::CreateFontIndirectW(&font);
    font.lfUnderline = TRUE;
    dialog.hUrlFont = ::CreateFontIndirectW(&font);
    dialog.hLinkCursor = ::LoadCursorW(hInstance, MAKEINTRESOURCEW(IDC_LINK));
    if (dialog.hLinkCursor == nullptr) dialog.hLinkCursor = ::LoadCursorA(nullptr, IDC_HAND);

    dialog.hRepeat = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN |
                                       WS_VSCROLL, kPicX + 112, kPicY + 52, 41, 200, hWnd,
                                       reinterpret_cast<HMENU>(kIdRepeat), hInstance, nullptr);
    ::SendMessageW(dialog.hRepeat, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.hFont), FALSE);
    dialog.hFile = Nerlo_Command::CreateCommandWindow(hWnd, kIdFile, kPicX + 28, kPicY + 116, 41, 21, "...", true,
                                                      dialog.hFont);
    HWND hSet = Nerlo_Command::CreateCommandWindow(hWnd, kIdSet, 324, 200, 77, 25, "設定", true, dialog.hFont);
    HWND hCan = Nerlo_Command::CreateCommandWindow(hWnd, kIdCan, 404, 200, 77, 25, "ｷｬﾝｾﾙ", true, dialog.hFont);
    for (HWND hButton : {dialog.hFile, hSet, hCan}) Nerlo_Command::InitializeCommand(hButton);

    dialog.form.Form_Load();
    const Controls& c = dialog.form.View();
    for (const std::string& sItem : c.aRepeatItems) {
        const std::wstring s(sItem.begin(), sItem.end());
        ::SendMessageW(dialog.hRepeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    }
    const std::wstring sRepeat(c.sRepeatText.begin(), c.sRepeatText.end());
    ::SetWindowTextW(dialog.hRepeat, sRepeat.c_str());
    dialog.Sync();
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    ::UpdateWindow(hWnd);

    MSG message;
    while (!dialog.bDone && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(hWnd, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::DeleteObject(dialog.hFont);
    ::DeleteObject(dialog.hUrlFont);
}

}  // namespace Nerlo_P
