// Every fixed text of start-up, settings and the show run, as UTF-8. Converted where it meets the
// system: Cp932Text for files, keys and ANSI calls, Utf8ToUtf16 for what the user reads.
#pragma once

namespace Nerlo_B::Texts {

// Settings file beside the programs and its one section with three keys.
inline constexpr char kIniFileName[] = "Vantorel.ini";
inline constexpr char kSection[] = "Section";
inline constexpr char kKeyKind[] = "BGM区分";
inline constexpr char kKeyRepeat[] = "BGMﾘﾋﾟｰﾄ";
inline constexpr char kKeyFile[] = "BGMﾌｧｲﾙ";
// The user's own folder under the application data, for settings the program folder cannot take.
inline constexpr char kFallbackFolderName[] = "Vantorel";

// The renderer beside us, and the message when it is not there.
inline constexpr char kRendererFileName[] = "Vantorel.dll";
inline constexpr char kProgramTitle[] = "Vantorel (ScreenSaver)";
inline constexpr char kRendererMissing[] = "Vantorel.dll が同じﾌｫﾙﾀﾞに見つかりません！";

// Window titles that mark a running show form, an open settings dialog and a running renderer.
inline constexpr char kShowFormCaption[] = "Nerlo_Main";
inline constexpr char kSettingsDialogCaption[] = "<Vantorel>";
inline constexpr char kRendererCaption[] = "Nerlo_VC";

// Where the renderer finds its three texture pictures.
inline constexpr char kTextureFolder[] = "C:\\s_vell";
inline constexpr char kTextureFiles[3][22] = {
    "C:\\s_vell\\Nerlo01.bmp", "C:\\s_vell\\Nerlo02.bmp", "C:\\s_vell\\Nerlo03.bmp"};

}  // namespace Nerlo_B::Texts
