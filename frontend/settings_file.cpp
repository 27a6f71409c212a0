#include "frontend/settings_file.h"

#include <cmath>
#include <vector>

#include "frontend/nerlo_b_texts.h"
#include "frontend/number_text.h"
#include "frontend/text_cp932.h"

namespace Nerlo_B {

std::string ReadIni(CFrontEndPort& port, const std::string& sSection, const std::string& sKey,
                    const std::string& sFile) {
    constexpr std::uint32_t kBufferSize = 256;
    std::vector<char> aBuffer(kBufferSize, '\0');
    port.GetPrivateProfileStringA(sSection, sKey, std::string(), aBuffer.data(), kBufferSize, sFile);
    aBuffer.back() = '\0';  // whatever the call did, the value ends inside the buffer
    return std::string(aBuffer.data());
}

std::int32_t WriteIni(CFrontEndPort& port, const std::string& sSection, const std::string& sKey,
                      const std::string& sValue, const std::string& sFile) {
    // Section and key travel in 128-character fixed strings with their NUL, so 127 characters count.
    constexpr std::size_t kNameCharacters = 127;
    const std::string sFixedSection = sSection.substr(0, Cp932PrefixBytes(sSection, kNameCharacters));
    const std::string sFixedKey = sKey.substr(0, Cp932PrefixBytes(sKey, kNameCharacters));
    return port.WritePrivateProfileStringA(sFixedSection, sFixedKey, sValue, sFile);
}

bool FileExists(CFrontEndPort& port, std::string sPath) {
    if (Cp932LastCharacters(sPath, 1) == "\\") sPath.pop_back();
    return port.OpenForInput(sPath);
}

std::string FolderOf(const std::string& sPath) {
    // A backslash can be the second byte of a two-byte character, so walk characters, not bytes.
    std::size_t nCut = 0;
    for (std::size_t nPos = 0; nPos < sPath.size();) {
        const bool bLead = IsCp932LeadByte(static_cast<unsigned char>(sPath[nPos]));
        if (!bLead && (sPath[nPos] == '\\' || sPath[nPos] == ':')) nCut = nPos + 1;
        nPos += bLead ? 2 : 1;
    }
    std::string sFolder = sPath.substr(0, nCut);
    if (!sFolder.empty() && sFolder.back() == '\\') sFolder.pop_back();
    return sFolder;
}

std::string FileBeside(const std::string& sProgramFolder, const std::string& sName) {
    // The byte 5C ends "表" as well as a folder, so look at the last character.
    if (Cp932LastCharacters(sProgramFolder, 1) == "\\") return sProgramFolder + sName;
    return sProgramFolder + "\\" + sName;
}

std::string ProgramFolderOf(const std::string& sProgramFile) {
    std::string sFolder = FolderOf(sProgramFile);
    if (sFolder.size() == 2 && sFolder[1] == ':') sFolder += '\\';
    return sFolder;
}

std::optional<std::int16_t> WholeNumberOf(const std::string& sText) {
    const auto fValue = ParseNumberText(sText);
    if (!fValue) return std::nullopt;
    const double fWhole = std::floor(*fValue);
    if (fWhole < -32768.0 || fWhole > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(fWhole);
}

namespace {

// One numeric key: empty text gives 0, a number its whole part, anything else leaves nValue alone.
void LoadNumber(const std::string& sText, std::int16_t& nValue) {
    if (sText.empty()) {
        nValue = 0;
    } else if (const auto nWhole = WholeNumberOf(sText)) {
        nValue = *nWhole;
    }
}

}  // namespace

std::string FallbackSettingsFile(CFrontEndPort& port) {
    const std::string sAppData = port.SHGetFolderPathA(kCsidlAppData);
    if (sAppData.empty()) return std::string();
    return FileBeside(FileBeside(sAppData, Texts::kFallbackFolderName), Texts::kIniFileName);
}

std::string SettingsFileOf(CFrontEndPort& port, const std::string& sProgramFolder) {
    const std::string sFallback = FallbackSettingsFile(port);
    if (!sFallback.empty() && FileExists(port, sFallback)) return sFallback;
    return FileBeside(sProgramFolder, Texts::kIniFileName);
}

void LoadSettings(CFrontEndPort& port, const std::string& sProgramFolder, BgmSettings& settings) {
    const std::string sIni = SettingsFileOf(port, sProgramFolder);
    const std::string sSection = Cp932Text(Texts::kSection);

    LoadNumber(ReadIni(port, sSection, Cp932Text(Texts::kKeyKind), sIni), settings.BGM_Kind);
    LoadNumber(ReadIni(port, sSection, Cp932Text(Texts::kKeyRepeat), sIni), settings.BGM_RepeatTrack);

    settings.BGM_File = ReadIni(port, sSection, Cp932Text(Texts::kKeyFile), sIni);
    if (!settings.BGM_File.empty() && !FileExists(port, settings.BGM_File)) settings.BGM_File.clear();
    if (settings.BGM_File.empty() && settings.BGM_Kind == 2) settings.BGM_Kind = 0;

    settings.BGM_Folder = settings.BGM_File.empty() ? sProgramFolder : FolderOf(settings.BGM_File);
}

namespace {

// The three keys into one file; true when the system took every one of them.
bool WriteSettingsInto(CFrontEndPort& port, const std::string& sIni, const BgmSettings& settings,
                       std::int16_t nRepeatTrack, std::int32_t& nApiResult) {
    const std::string sSection = Cp932Text(Texts::kSection);
    bool bAllWritten = true;
    nApiResult = WriteIni(port, sSection, Cp932Text(Texts::kKeyKind), std::to_string(settings.BGM_Kind), sIni);
    bAllWritten = bAllWritten && nApiResult != 0;
    nApiResult = WriteIni(port, sSection, Cp932Text(Texts::kKeyRepeat), std::to_string(nRepeatTrack), sIni);
    bAllWritten = bAllWritten && nApiResult != 0;
    nApiResult = WriteIni(port, sSection, Cp932Text(Texts::kKeyFile), settings.BGM_File, sIni);
    return bAllWritten && nApiResult != 0;
}

}  // namespace

void StoreSettings(CFrontEndPort& port, const std::string& sProgramFolder, const BgmSettings& settings,
                   std::int16_t nRepeatTrack, std::int32_t& nApiResult) {
    // Store where the next start reads: the fallback file once it exists, so a choice stored there
    // is never shadowed by an older one.
    const std::string sIni = SettingsFileOf(port, sProgramFolder);
    if (WriteSettingsInto(port, sIni, settings, nRepeatTrack, nApiResult)) return;
    const std::string sFallback = FallbackSettingsFile(port);
    if (sFallback.empty() || sIni == sFallback) return;
    port.CreateDirectoryA(FolderOf(sFallback));
    WriteSettingsInto(port, sFallback, settings, nRepeatTrack, nApiResult);
}

}  // namespace Nerlo_B
