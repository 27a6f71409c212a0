// The settings dialog's fixed texts, UTF-8; Cp932Text for the ANSI calls, Utf8ToUtf16 where shown.
#pragma once

namespace Nerlo_P::Texts {

inline constexpr char kCaption[] = "<Vantorel>";
inline constexpr char kKindCaptions[3][16] = {"なし", "音楽CD", "MP3、WAV"};
inline constexpr char kFileFilterName[] = "BGMﾌｧｲﾙ (MP3 WAV)";
inline constexpr char kFileFilterPattern[] = "*.MP3;*.WAV";
inline constexpr char kFileDialogTitle[] = "ﾌｧｲﾙを開く";

}  // namespace Nerlo_P::Texts
