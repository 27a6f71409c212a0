// The Command push button of the settings dialog, without its window: the states, the events, the
// properties and their persistence. The window (or a test) is the host: it draws the faces this
// asks for, delivers the events, and raises Click to the form.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "frontend/command_button/face_layout.h"

namespace Nerlo_Command {

// The six skin pictures; each names the frame of one look.
enum class Skin { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };

enum State : std::uint8_t {
    kUninitialised = 0,
    kNormal = 1,
    kHighLight = 2,        // pointer over, no focus
    kSelected = 3,         // focus, pointer elsewhere
    kHighLightSelect = 4,  // focus and pointer over
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

// The caption label's font, applied whole.
struct FontDesc {
    std::string sName = "ＭＳ Ｐゴシック";  // UTF-8
    double fPoints = 9.75;
    int nWeight = 400;
    int nCharset = 128;
    bool bItalic = false, bUnderline = false, bStrikeOut = false;
    friend bool operator==(const FontDesc& a, const FontDesc& b) {
        return a.sName == b.sName && a.fPoints == b.fPoints && a.nWeight == b.nWeight &&
               a.nCharset == b.nCharset && a.bItalic == b.bItalic && a.bUnderline == b.bUnderline &&
               a.bStrikeOut == b.bStrikeOut;
    }
};

// The caption label LblMsg: the control keeps its caption, font and colour here and nowhere else.
struct CaptionLabel {
    std::string sCaption = "Command";  // UTF-8
    std::uint32_t nColour = 0;         // &H00BBGGRR
    FontDesc font;
    bool bEnabled = true;
    double fTop = 90;  // twips
    int nWidth = 1635;
    int nHeight = 195;
};

class CCommandHost {
public:
    virtual ~CCommandHost() = default;
    // Clear, gradient, frame of the skin, caption moved: one whole face.
    virtual void DrawFace(Skin eSkin, const FaceLayout& face) = 0;
    virtual void RaiseClick() = 0;
    virtual void PropertyChanged(const char* pszName) = 0;
    virtual void StartPollTimer(std::uint32_t nIntervalMs) = 0;
};

// What the host keeps for a form: text values by key; the font apart, since it is an object.
struct PropertyBag {
    std::map<std::string, std::string> aValues;
    std::optional<FontDesc> font;
};

// The poll's verdict from the window under the pointer: true when the pointer has left the button.
bool PointerIsElsewhere(std::uintptr_t hUnderPointer, std::uintptr_t hButton, std::uintptr_t hParentForm);

class CCommand {
public:
    // nWidth, nHeight: the control's size in twips.
    CCommand(CCommandHost& host, int nWidth, int nHeight) : host(host), nWidth(nWidth), nHeight(nHeight) {}

    void Initialize();

    // Events, as the surface (or the caption label over it) delivers them.
    void OnMouseMove();
    void OnMouseDown(MouseButton eButton);
    void OnMouseUp(MouseButton eButton);
    void OnGotFocus();
    void OnLostFocus();
    void OnPollTick(bool bPointerElsewhere);
    void OnResize(int nNewWidth, int nNewHeight);

    // Properties.
    const std::string& Caption() const { return label.sCaption; }
    void SetCaption(const std::string& sCaption);
    bool Enabled();  // reading has the first-run and enabled-look side effects
    void SetEnabled(bool bEnabled);
    const FontDesc& Font() const { return label.font; }
    void SetFont(const FontDesc& font);
    std::uint32_t FontColour();
    void SetFontColour(std::uint32_t nColour);
    std::uint8_t Visible();
    void SetVisible(std::uint8_t nVisible);

    // Persistence with the host's form; ambient: the host's font.
    void ReadProperties(const PropertyBag& bag, const FontDesc& ambient);
    void WriteProperties(PropertyBag& bag, const FontDesc& ambient);

    // For the host's drawing and for checks; these change nothing.
    std::uint8_t State() const { return nState; }
    bool IsEnabledFlag() const { return bEnabled; }
    bool IsButtonHeld() const { return bButtonHeld; }
    bool IsOpaque() const { return bOpaque; }
    std::uint8_t FirstRun() const { return nFirstRun; }
    const CaptionLabel& Label() const { return label; }
    int Width() const { return nWidth; }
    int Height() const { return nHeight; }

private:
    void Paint(Skin eSkin);
    void EnabledLook();
    void NormalLook();
    void FirstRunStep();
    void PointerLeft();

    CCommandHost& host;
    int nWidth, nHeight;
    std::uint8_t nState = kUninitialised;
    bool bEnabled = false;
    std::uint8_t nFirstRun = 0;
    bool bButtonHeld = false;
    bool bInverted = false;
    bool bOpaque = true;
    CaptionLabel label;
};

}  // namespace Nerlo_Command
