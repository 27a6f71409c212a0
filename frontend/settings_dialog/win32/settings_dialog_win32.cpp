#include "frontend/settings_dialog/win32/settings_dialog_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "frontend/command_button/win32/command_window.h"
#include "frontend/settings_dialog/nerlo_p.h"
#include "frontend/settings_dialog/nerlo_p_texts.h"
#include "frontend/text_cp932.h"

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
    bool bDone = false;

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
        const BOOL bOk = ::GetOpenFileNameA(&record);
        if (bOk) sFile = aFile.data();
        return bOk ? 1 : 0;
    }
    void ShellExecuteA(const std::string& sVerb, const std::string& sFile, const std::string& sParameters,
                       const std::string& sFolder, int nShowCmd) override {
        ::ShellExecuteA(hWnd, sVerb.c_str(), sFile.c_str(), sParameters.c_str(), sFolder.c_str(), nShowCmd);
    }
    void SetMousePointer(int nPointer) override {
        ::SetCursor(::LoadCursorA(nullptr, nPointer == 11 ? IDC_WAIT : IDC_ARROW));
    }

    void Sync() {
        const Controls& c = form.View();
        ::EnableWindow(hRepeat, c.bRepeatEnabled);
        Nerlo_Command::SetCommandEnabled(hFile, c.bFileButtonEnabled);
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

    void OnPress(POINT pt) {
        for (int i = 0; i < 3; ++i) {
            const RECT k = KindRect(i);
            if (::PtInRect(&k, pt)) {
                form.ChooseKind(i);
                Sync();
                return;
            }
        }
        if (::PtInRect(&kUrlRect, pt)) form.lbl_URL_Click(kAuthorAddress);
    }
    void Close() {
        form.Form_Unload();
        bDone = true;
        ::DestroyWindow(hWnd);
    }
    void OnCommand(int nId) {
        if (nId == kIdFile) {
            form.Cmd_File_Click();
            Sync();
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
            p->OnPress({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
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
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - nW) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - nH) / 3;
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
