// The settings reader over a Vantorel.ini of any bytes. The port reads and writes the file the way
// the profile calls do (sections and keys matched without regard to case, blanks around names and
// values dropped, one pair of quotes around a value removed, values cut to the buffer), so LoadSettings
// meets exactly what it would meet on Windows. Whatever the file holds, the settings that come out
// obey the rules, and storing them writes the three keys so that they read back as stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/fake_frontend_port.h"
#include "frontend/nerlo_b_texts.h"
#include "frontend/settings_file.h"
#include "frontend/text_cp932.h"

namespace {

const std::string kFolder = "C:\\Program Files\\Vantorel";

std::string Trim(const std::string& s) {
    const auto IsBlank = [](char c) { return c == ' ' || c == '\t'; };
    size_t nStart = 0, nEnd = s.size();
    while (nStart < nEnd && IsBlank(s[nStart])) ++nStart;
    while (nEnd > nStart && IsBlank(s[nEnd - 1])) --nEnd;
    return s.substr(nStart, nEnd - nStart);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto Lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// A profile file held as its lines of text.
class CIniFilePort : public vtest::CFakeFrontEndPort {
public:
    explicit CIniFilePort(const std::string& sText) {
        std::string sLine;
        for (char c : sText) {
            if (c == '\n' || c == '\r') {
                aLines.push_back(sLine);
                sLine.clear();
            } else {
                sLine += c;
            }
        }
        if (!sLine.empty()) aLines.push_back(sLine);
    }

    std::uint32_t GetPrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                           const std::string& sDefault, char* pBuffer, std::uint32_t nSize,
                                           const std::string&) override {
        size_t nLine = 0;
        std::string sValue = Find(sSection, sKey, nLine) ? ValueOf(aLines[nLine]) : sDefault;
        const size_t nCopy = std::min<size_t>(sValue.size(), nSize - 1);
        std::memcpy(pBuffer, sValue.data(), nCopy);
        pBuffer[nCopy] = '\0';
        return static_cast<std::uint32_t>(nCopy);
    }

    std::int32_t WritePrivateProfileStringA(const std::string& sSection, const std::string& sKey,
                                            const std::string& sValue, const std::string&) override {
        aLog.push_back("WritePrivateProfileStringA");
        size_t nLine = 0;
        const std::string sNew = sKey + "=" + sValue;
        if (Find(sSection, sKey, nLine)) {
            aLines[nLine] = sNew;
        } else if (FindSection(sSection, nLine)) {
            aLines.insert(aLines.begin() + static_cast<long>(nLine + 1), sNew);
        } else {
            aLines.push_back("[" + sSection + "]");
            aLines.push_back(sNew);
        }
        return 1;
    }

    // A music file can be opened when its bytes add up to an even number: both outcomes for the fuzzer.
    bool OpenForInput(const std::string& sPath) override {
        unsigned nSum = 0;
        for (unsigned char c : sPath) nSum += c;
        return !sPath.empty() && nSum % 2 == 0;
    }

private:
    std::vector<std::string> aLines;

    static bool IsSection(const std::string& sLine, std::string& sName) {
        const std::string s = Trim(sLine);
        if (s.empty() || s[0] != '[') return false;
        const size_t nEnd = s.find(']');
        sName = Trim(s.substr(1, nEnd == std::string::npos ? std::string::npos : nEnd - 1));
        return true;
    }
    static std::string ValueOf(const std::string& sLine) {
        std::string s = Trim(sLine.substr(sLine.find('=') + 1));
        if (s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0]) s = s.substr(1, s.size() - 2);
        return s;
    }
    // The line of the section's header, the first section of that name.
    bool FindSection(const std::string& sSection, size_t& nLine) const {
        std::string sName;
        for (size_t i = 0; i < aLines.size(); ++i) {
            if (IsSection(aLines[i], sName) && SameName(sName, sSection)) {
                nLine = i;
                // The last line that still belongs to the section.
                while (nLine + 1 < aLines.size() && !IsSection(aLines[nLine + 1], sName)) ++nLine;
                return true;
            }
        }
        return false;
    }
    bool Find(const std::string& sSection, const std::string& sKey, size_t& nLine) const {
        std::string sName;
        bool bInSection = false;
        for (size_t i = 0; i < aLines.size(); ++i) {
            if (IsSection(aLines[i], sName)) {
                if (bInSection) return false;
                bInSection = SameName(sName, sSection);
                continue;
            }
            const size_t nEquals = aLines[i].find('=');
            if (bInSection && nEquals != std::string::npos && SameName(Trim(aLines[i].substr(0, nEquals)), sKey)) {
                nLine = i;
                return true;
            }
        }
        return false;
    }
};

// The rules every loaded setting keeps, whatever the file said.
void CheckLoaded(CIniFilePort& port, const Nerlo_B::BgmSettings& settings) {
    if (settings.BGM_File.size() > 255) std::abort();
    if (!settings.BGM_File.empty() && !port.OpenForInput(settings.BGM_File)) std::abort();
    if (settings.BGM_Kind == 2 && settings.BGM_File.empty()) std::abort();
    const std::string sFolder = settings.BGM_File.empty() ? kFolder : Nerlo_B::FolderOf(settings.BGM_File);
    if (settings.BGM_Folder != sFolder) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CIniFilePort port(std::string(reinterpret_cast<const char*>(pData), nSize));
    Nerlo_B::BgmSettings settings;
    Nerlo_B::LoadSettings(port, kFolder, settings);
    CheckLoaded(port, settings);

    // What the settings dialog stores reads back as stored, whatever else the file holds.
    std::int32_t nApiResult = 0;
    Nerlo_B::StoreSettings(port, kFolder, settings, settings.BGM_RepeatTrack, nApiResult);
    if (nApiResult != 1) std::abort();
    Nerlo_B::BgmSettings reread;
    Nerlo_B::LoadSettings(port, kFolder, reread);
    CheckLoaded(port, reread);
    if (reread.BGM_RepeatTrack != settings.BGM_RepeatTrack) std::abort();
    // A file name with blanks or quotes at its ends reads back without them, as the profile calls have
    // it (and a kind 2 then depends on whether that name opens); any other reads back as stored.
    const std::string& sFile = settings.BGM_File;
    const bool bPlain = sFile.empty() || (sFile.front() != '"' && sFile.front() != '\'' && Trim(sFile) == sFile);
    if (bPlain && reread.BGM_File != sFile) std::abort();
    if ((bPlain || settings.BGM_Kind != 2) && reread.BGM_Kind != settings.BGM_Kind) std::abort();
    return 0;
}
