// The settings file Vantorel.ini beside the programs: the in-memory settings the front-end runs
// with, LoadSettings that fills them once at start-up, and the path and profile helpers around it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frontend/frontend_port.h"

namespace Nerlo_B {

// The music settings. Strings are system code page bytes, as the profile calls give them.
struct BgmSettings {
    std::int16_t BGM_Kind = 0;         // 0 no music, 1 audio CD, 2 music file; other values play nothing
    std::int16_t BGM_RepeatTrack = 0;  // CD track to repeat, 0 the whole disc
    std::string BGM_File;              // MP3 or WAV file of kind 2
    std::string BGM_Folder;            // where the file dialog opens
};

// One value of the profile file, cut to 255 bytes; empty when file, section or key is missing.
std::string ReadIni(CFrontEndPort& port, const std::string& sSection, const std::string& sKey,
                    const std::string& sFile);
// Writes one value; section and key take effect up to 127 characters. Returns the call's result.
std::int32_t WriteIni(CFrontEndPort& port, const std::string& sSection, const std::string& sKey,
                      const std::string& sValue, const std::string& sFile);

// True when the path (without one trailing backslash) can be opened for reading; a folder cannot.
bool FileExists(CFrontEndPort& port, std::string sPath);
// The folder part of a path: "C:\a\b.mp3" gives "C:\a", "C:\b.mp3" gives "C:", "b.mp3" gives "".
std::string FolderOf(const std::string& sPath);
// A file beside the programs: the program folder, one backslash, the name (no doubled backslash
// when the folder is a drive root such as "C:\").
std::string FileBeside(const std::string& sProgramFolder, const std::string& sName);
// The program folder of a program file: its folder, with the backslash kept at a drive root.
std::string ProgramFolderOf(const std::string& sProgramFile);

// A settings value as a whole number: rounded down, 16 bits; empty optional when the text is not a
// number or the number does not fit.
std::optional<std::int16_t> WholeNumberOf(const std::string& sText);

// Where the settings go when the program folder cannot be written (copied by hand into a folder
// only an administrator may change): %APPDATA%\Vantorel\Vantorel.ini. Empty when the system names
// no application data folder.
std::string FallbackSettingsFile(CFrontEndPort& port);
// The settings file in use: the fallback file when it exists (it is only ever made when a store
// beside the programs failed), else Vantorel.ini beside the programs.
std::string SettingsFileOf(CFrontEndPort& port, const std::string& sProgramFolder);

// Reads the three keys of the settings file in use into settings. A value that is
// not a number leaves its setting as it was; a kind 2 without a readable file becomes 0 in memory.
void LoadSettings(CFrontEndPort& port, const std::string& sProgramFolder, BgmSettings& settings);

// The three keys as written by the settings dialog, in the file's order, into the settings file in
// use; when the file beside the programs cannot take them, into the fallback file, so the user's
// choice is not lost. nApiResult gets the last write's result.
void StoreSettings(CFrontEndPort& port, const std::string& sProgramFolder, const BgmSettings& settings,
                   std::int16_t nRepeatTrack, std::int32_t& nApiResult);

}  // namespace Nerlo_B
