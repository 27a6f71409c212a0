// Recording fakes of the front-end port and the music player: every call lands in a log line, and
// the answers come from small tables the test fills in (windows that exist, files, profile values).
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "frontend/frontend_port.h"
#include "frontend/music/nerlo_bgm.h"

namespace vtest {

class CFakeFrontEndPort : public Nerlo_B::CFrontEndPort {
public:
    std::vector<std::string> aLog;
    std::set<std::string> aWindowTitles;
    std::set<std::string> aReadableFiles;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> aProfile;  // file, section, key
    std::set<int> aUnsavablePictures;
    std::string sAppDataFolder = "C:\\Users\\u\\AppData\\Roaming";  // empty: the system names none
    std::set<std::string> aUnwritableFolders;  // profile writes into these fail, as in a read-only folder
    Nerlo_B::ProcessHandle hNextProcess = 0x44;
    bool bProcessExited = false;
    std::uint32_t nTick = 1000;
    std::int32_t nCursorCounter = 0;
    std::u16string sLastMessageText, sLastMessageCaption;

    Nerlo_B::WindowHandle FindWindowA(const char* pszClassName, const char* pszWindowName) override {
        aLog.push_back(std::string("FindWindowA ") + (pszClassName ? pszClassName : "(null)") + " " + pszWindowName);
        return aWindowTitles.count(pszWindowName) ? 0x1234 : 0;
    }
    std::int32_t ShowCursor(bool bShow) override {
        aLog.push_back(bShow ? "ShowCursor TRUE" : "ShowCursor FALSE");
        nCursorCounter += bShow ? 1 : -1;
        return nCursorCounter;
    }
    bool CreateDirectoryA(const std::string& sPath) override {
        aLog.push_back("CreateDirectoryA " + sPath);
        return true;
    }
    void MessageBoxW(const std::u16string& sText, const std::u16string& sCaption) override {
        aLog.push_back("MessageBoxW");
        sLastMessageText = sText;
        sLastMessageCaption = sCaption;
    }
    std::uint32_t GetPrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                           const std::string& sDefault, char* pBuffer, std::uint32_t nSize,
                                           const std::string& sFile) override {
        aLog.push_back("GetPrivateProfileStringA " + sSection + " " + sKey + " " + sFile);
        auto it = aProfile.find({sFile, sSection, sKey});
        const std::string sValue = it == aProfile.end() ? sDefault : it->second;
        // As the system does: the value cut to nSize - 1 bytes, NUL-terminated.
        const std::size_t nCopy = std::min<std::size_t>(sValue.size(), nSize - 1);
        std::memcpy(pBuffer, sValue.data(), nCopy);
        pBuffer[nCopy] = '\0';
        return static_cast<std::uint32_t>(nCopy);
    }
    std::int32_t WritePrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                            const std::string& sValue, const std::string& sFile) override {
        aLog.push_back("WritePrivateProfileStringA " + sSection + " " + sKey + " " + sValue + " " + sFile);
        if (aUnwritableFolders.count(sFile.substr(0, sFile.find_last_of('\\'))) != 0) return 0;
        aProfile[{sFile, sSection, sKey}] = sValue;
        aReadableFiles.insert(sFile);
        return 1;
    }
    bool OpenForInput(const std::string& sPath) override {
        aLog.push_back("OpenForInput " + sPath);
        return aReadableFiles.count(sPath) != 0;
    }
    std::string SHGetFolderPathA(int nFolder) override {
        aLog.push_back("SHGetFolderPathA " + std::to_string(nFolder));
        return nFolder == Nerlo_B::kCsidlAppData ? sAppDataFolder : std::string();
    }
    bool SavePicture(int nIndex, const std::string& sPath) override {
        aLog.push_back("SavePicture " + std::to_string(nIndex) + " " + sPath);
        return aUnsavablePictures.count(nIndex) == 0;
    }
    Nerlo_B::ProcessHandle CreateProcessA(const std::string& sProgram, int nShowCmd) override {
        aLog.push_back("CreateProcessA " + sProgram + " " + std::to_string(nShowCmd));
        return hNextProcess;
    }
    bool HasProcessExited(Nerlo_B::ProcessHandle hProcess) override {
        aLog.push_back("HasProcessExited " + std::to_string(hProcess));
        return bProcessExited;
    }
    std::uint32_t GetTickCount() override { return nTick; }
    void SetTimer(Nerlo_B::ShowTimer eTimer, std::uint32_t nElapseMs) override {
        aLog.push_back("SetTimer " + std::to_string(static_cast<int>(eTimer)) + " " + std::to_string(nElapseMs));
    }
    void KillTimer(Nerlo_B::ShowTimer eTimer) override {
        aLog.push_back("KillTimer " + std::to_string(static_cast<int>(eTimer)));
    }
    void ExitProcess() override { aLog.push_back("ExitProcess"); }

    // The log lines that start with sPrefix, in order.
    std::vector<std::string> CallsOf(const std::string& sPrefix) const {
        std::vector<std::string> aOut;
        for (const auto& s : aLog) {
            if (s.compare(0, sPrefix.size(), sPrefix) == 0) aOut.push_back(s);
        }
        return aOut;
    }
};

// Music and port calls go to one shared log, so a test sees their order against each other.
class CRecordingMusic : public Nerlo_BGM::CMusicPlayer {
public:
    explicit CRecordingMusic(std::vector<std::string>& aLogIn) : aLog(aLogIn) {}
    bool bCdContinue = true;

    void CD_Open() override { aLog.push_back("CD_Open"); }
    void CD_Watch(std::int16_t nTrack) override { aLog.push_back("CD_Watch " + std::to_string(nTrack)); }
    void CD_Stop() override { aLog.push_back("CD_Stop"); }
    bool CD_Continue() const override { return bCdContinue; }
    void WAV_Play(const std::string& sFile) override { aLog.push_back("WAV_Play " + sFile); }
    void WAV_Stop() override { aLog.push_back("WAV_Stop"); }
    void MP3_Play(const std::string& sFile) override { aLog.push_back("MP3_Play " + sFile); }
    void MP3_Watch() override { aLog.push_back("MP3_Watch"); }
    void MP3_Stop() override { aLog.push_back("MP3_Stop"); }

private:
    std::vector<std::string>& aLog;
};

}  // namespace vtest
