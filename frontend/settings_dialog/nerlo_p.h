// The settings dialog Nerlo_P without its window: what loading shows, the music kind choice, the
// file choice, storing, the zoom rectangles and the background shade. The window keeps its
// controls in step with Controls() after every handler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/frontend_port.h"
#include "frontend/startup.h"

namespace Nerlo_P {

struct Rect {
    int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.nLeft == b.nLeft && a.nTop == b.nTop && a.nRight == b.nRight && a.nBottom == b.nBottom;
    }
};

// What the dialog's controls show.
struct Controls {
    bool aKindMarked[3] = {false, false, false};  // Img_BGM (i) shows Img_Ra (1)
    bool bRepeatEnabled = false;                  // BGM_Repeat
    bool bFileButtonEnabled = false;              // Cmd_File (0)
    std::string sRepeatText;                      // BGM_Repeat's text
    std::vector<std::string> aRepeatItems;
    std::string sFileCaption;  // lbl_Fname (0), system code page bytes
};

// The file-open request, as the record passed to GetOpenFileNameA carries it (CP932 bytes).
struct OpenFileRequest {
    std::string sFilter;  // description, NUL, patterns (the call adds the final NUL)
    std::string sInitialFolder;
    std::string sTitle;
    std::uint32_t nFileBufferSize = 255;
    std::uint32_t nTitleBufferSize = 255;
    std::uint32_t nFlags = 0;
};

// The calls the dialog makes besides the profile writes.
class CSettingsDialogPort {
public:
    virtual ~CSettingsDialogPort() = default;
    virtual bool GetCursorPos(int& x, int& y) = 0;
    virtual Rect GetWindowRect() = 0;  // the dialog window's
    virtual void DrawAnimatedRects(int nAnimation, const Rect& from, const Rect& to) = 0;
    // The call's result; on success the file buffer up to its first NUL in sFile.
    virtual std::int32_t GetOpenFileNameA(const OpenFileRequest& request, std::string& sFile) = 0;
    virtual void ShellExecuteA(const std::string& sVerb, const std::string& sFile, const std::string& sParameters,
                               const std::string& sFolder, int nShowCmd) = 0;
    virtual void SetMousePointer(int nPointer) = 0;  // 0 default, 11 hourglass
};

inline constexpr int kIdAniCaption = 3;

// lbl_URL's click: the left button pressed on the link and released on it. A right or middle
// press opens nothing, nor does a press that is released after the pointer was dragged off.
class CLinkClick {
public:
    enum class Button { Left, Right, Middle };
    // True when the window should capture the mouse until the release.
    bool OnPress(Button eButton, bool bOverLink);
    // True when this release is the link's click.
    bool OnRelease(Button eButton, bool bOverLink);

private:
    bool bPressed = false;
};

// The "##" pattern: a whole number without leading zeros, 0 as an empty text.
std::string FormatHashHash(int nValue);

// The repeat track a combo text stores: a numeric text rounded half to even; anything else 0.
// A number beyond 16 bits is no track at all, so it stores 0 too, like a text that is no number.
std::int16_t RepeatTrackOf(const std::string& sText);

// Load step 1: where the form's outer rectangle goes, in pixels. The form is moved in twips:
// left = (screen width - form width) \ 2, top = (screen height - form height) \ 3, and the
// twips are then converted to pixels (nearest, halves to even), so an odd remainder can land a
// pixel away from the same arithmetic done in pixels.
struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};
Point CentredFormPosition(int nScreenWidth, int nScreenHeight, int nFormWidth, int nFormHeight, int nTwipsPerPixelX,
                          int nTwipsPerPixelY);

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb& a, const Rgb& c) { return a.r == c.r && a.g == c.g && a.b == c.b; }
};
enum class ShadeSurface { Form, PicC };
// One colour per pixel row 0..round(H) inclusive: c = |sin(y / (H / 3.142))| x 220, half to even.
std::vector<Rgb> ShadeRows(double fHeight, ShadeSurface eSurface);

class CNerloP {
public:
    CNerloP(Nerlo_B::CFrontEndPort& port, CSettingsDialogPort& dialogPort, Nerlo_B::FrontEndState& state)
        : port(port), dialogPort(dialogPort), state(state) {}

    // Load steps 3 to 11 (the window centres itself and initialises its buttons first).
    void Form_Load();
    // A press of any mouse button on Img_BGM (i) or lbl_BGM (i).
    void ChooseKind(int nKind);
    void Cmd_File_Click();
    // Store with the combo box's current text; true: the window unloads now.
    bool Cmd_Set_Click(const std::string& sRepeatText);
    void Form_Unload();
    void lbl_URL_Click(const std::string& sAddress);

    const Controls& View() const { return controls; }
    std::int16_t ZoomX() const { return nZoomX; }
    std::int16_t ZoomY() const { return nZoomY; }

private:
    void MarkKind();

    Nerlo_B::CFrontEndPort& port;
    CSettingsDialogPort& dialogPort;
    Nerlo_B::FrontEndState& state;
    Controls controls;
    std::int16_t nZoomX = 0, nZoomY = 0;
};

}  // namespace Nerlo_P
