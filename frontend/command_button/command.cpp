#include "frontend/command_button/command.h"

#include <cstdlib>

namespace Nerlo_Command {

namespace {

constexpr std::uint32_t kPollIntervalMs = 100;

// Writing leaves "Command" out, reading fills in "Command1": a caption that equals the writing
// default comes back as the reading default, so a form saved with "Command" reads back "Command1".
constexpr char kCaptionWriteDefault[] = "Command";
constexpr char kCaptionReadDefault[] = "Command1";

std::string Text(bool b) { return b ? "True" : "False"; }
bool BoolOf(const std::string& s) { return !(s == "False" || s == "0" || s.empty()); }

const std::string* Find(const PropertyBag& bag, const char* pszKey) {
    auto it = bag.aValues.find(pszKey);
    return it == bag.aValues.end() ? nullptr : &it->second;
}

void Put(PropertyBag& bag, const char* pszKey, const std::string& sValue, const std::string& sDefault) {
    if (sValue == sDefault) bag.aValues.erase(pszKey);
    else bag.aValues[pszKey] = sValue;
}

}  // namespace

bool PointerIsElsewhere(std::uintptr_t hUnder, std::uintptr_t hButton, std::uintptr_t hParentForm) {
    if (hUnder == hParentForm) return true;
    return hUnder != hButton;
}

void CCommand::Paint(Skin eSkin) {
    bInverted = InversionAfter(nState, bInverted);
    FaceLayout face = LayoutFace(nWidth, nHeight, label.nHeight, bInverted);
    label.fTop = face.fCaptionTop;
    label.nWidth = face.nCaptionWidth;
    host.DrawFace(eSkin, face);
}

void CCommand::EnabledLook() {
    if (bEnabled) {
        Paint(Skin::Normal);
        label.bEnabled = true;
    } else {
        Paint(Skin::Disable);
        label.bEnabled = false;
    }
}

void CCommand::NormalLook() {
    if (!bEnabled) return;
    label.bEnabled = true;
    if (nFirstRun == 0) label.nColour = 0;
    Paint(Skin::Normal);
}

void CCommand::FirstRunStep() {
    if (nFirstRun != 0) return;
    NormalLook();
    nFirstRun = 1;
    bEnabled = true;
}

void CCommand::PointerLeft() {
    if (!bEnabled) return;
    if (nState == kHighLight) {
        nState = kNormal;
        Paint(Skin::Normal);
    } else if (nState == kHighLightSelect) {
        nState = kSelected;
        Paint(Skin::Selected);
    }
}

void CCommand::Initialize() {
    nState = kNormal;
    host.StartPollTimer(kPollIntervalMs);
}

void CCommand::OnMouseMove() {
    if (!bEnabled) return;
    if (nState == kNormal) {
        nState = kHighLight;
        Paint(Skin::HighLight);
    }
    if (nState == kSelected && !bButtonHeld) {
        nState = kHighLightSelect;
        Paint(Skin::HighLightSelect);
    }
}

void CCommand::OnMouseDown(MouseButton eButton) {
    if (!bEnabled || eButton != MouseButton::Left) return;
    bButtonHeld = true;
    Paint(Skin::Pressed);
}

void CCommand::OnMouseUp(MouseButton eButton) {
    if (!bEnabled) return;
    if (eButton == MouseButton::Left) {
        bButtonHeld = false;
        if (nState == kHighLight) Paint(Skin::Normal);
        else if (nState == kHighLightSelect) Paint(Skin::HighLightSelect);
    }
    if (nState != kSelected && bEnabled) host.RaiseClick();
}

void CCommand::OnGotFocus() {
    if (!bEnabled) return;
    if (nState == kHighLight) {
        nState = kHighLightSelect;
        Paint(Skin::Pressed);
    } else {
        nState = kSelected;
        Paint(Skin::Selected);
    }
}

void CCommand::OnLostFocus() {
    if (!bEnabled) return;
    if (nState != kNormal) {
        nState = kNormal;
        Paint(Skin::Normal);
    }
}

void CCommand::OnPollTick(bool bPointerElsewhere) {
    if (!bEnabled) return;
    if (bPointerElsewhere) PointerLeft();
}

void CCommand::OnResize(int nNewWidth, int nNewHeight) {
    nWidth = nNewWidth;
    nHeight = nNewHeight;
    EnabledLook();
}

void CCommand::SetCaption(const std::string& sCaption) {
    label.sCaption = sCaption;
    host.PropertyChanged("Caption");
}

bool CCommand::Enabled() {
    FirstRunStep();
    const bool bResult = bEnabled;
    EnabledLook();
    return bResult;
}

void CCommand::SetEnabled(bool bNew) {
    bEnabled = bNew;
    host.PropertyChanged("Enabled");
    EnabledLook();
}

void CCommand::SetFont(const FontDesc& font) {
    label.font = font;
    host.PropertyChanged("Font");
}

std::uint32_t CCommand::FontColour() {
    const std::uint32_t nColour = label.nColour;
    NormalLook();
    return nColour;
}

void CCommand::SetFontColour(std::uint32_t nColour) {
    label.nColour = nColour;
    NormalLook();
    host.PropertyChanged("FontColour");
}

std::uint8_t CCommand::Visible() {
    if (!bOpaque) return 0;
    NormalLook();
    return 255;
}

void CCommand::SetVisible(std::uint8_t nVisible) {
    if (nVisible != 0) {
        bOpaque = true;
        NormalLook();
    } else {
        bOpaque = false;
    }
    host.PropertyChanged("Visible");
}

void CCommand::ReadProperties(const PropertyBag& bag, const FontDesc& ambient) {
    const std::string* p = Find(bag, "Enabled");
    bEnabled = p ? BoolOf(*p) : true;
    p = Find(bag, "Caption");
    label.sCaption = p ? *p : kCaptionReadDefault;
    label.font = bag.font ? *bag.font : ambient;
    p = Find(bag, "FirstRun");
    nFirstRun = p ? static_cast<std::uint8_t>(std::strtoul(p->c_str(), nullptr, 10)) : 1;
    p = Find(bag, "FontColour");
    label.nColour = p ? static_cast<std::uint32_t>(std::strtoul(p->c_str(), nullptr, 10)) : 0;
    p = Find(bag, "Visible");
    bOpaque = p ? std::atoi(p->c_str()) != 0 : true;
    NormalLook();
}

void CCommand::WriteProperties(PropertyBag& bag, const FontDesc& ambient) {
    Put(bag, "Enabled", Text(bEnabled), Text(true));
    Put(bag, "Caption", label.sCaption, kCaptionWriteDefault);
    Put(bag, "FirstRun", std::to_string(nFirstRun), "1");
    if (label.font == ambient) bag.font.reset();
    else bag.font = label.font;
    Put(bag, "FontColour", std::to_string(label.nColour), "0");
    Put(bag, "Visible", bOpaque ? "1" : "0", "1");
    NormalLook();
}

}  // namespace Nerlo_Command
