// A recording host for the Command button: which skins were painted, clicks, notifications.
#pragma once

#include <string>
#include <vector>

#include "frontend/command_button/command.h"

namespace vtest {

class CRecordingCommandHost : public Nerlo_Command::CCommandHost {
public:
    std::vector<Nerlo_Command::Skin> aSkins;
    std::vector<Nerlo_Command::FaceLayout> aFaces;
    std::vector<std::string> aChanged;
    int nClicks = 0;
    std::vector<std::uint32_t> aTimers;

    void DrawFace(Nerlo_Command::Skin eSkin, const Nerlo_Command::FaceLayout& face) override {
        aSkins.push_back(eSkin);
        aFaces.push_back(face);
    }
    void RaiseClick() override { ++nClicks; }
    void PropertyChanged(const char* pszName) override { aChanged.push_back(pszName); }
    void StartPollTimer(std::uint32_t nIntervalMs) override { aTimers.push_back(nIntervalMs); }
    void Forget() {
        aSkins.clear();
        aFaces.clear();
        aChanged.clear();
        nClicks = 0;
    }
};

}  // namespace vtest
