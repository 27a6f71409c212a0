// The music module's own texts, as UTF-8. They end up in MCI_Message beside the system's answers,
// which arrive in the system code page, so the module keeps them as Cp932Text.
#pragma once

namespace Nerlo_BGM::Texts {

// MCI_Send was given nothing to send.
inline constexpr char kNoCommand[] = "コマンド文字列が指定されていません";
// The system knew no text for an MCI error code.
inline constexpr char kNoErrorText[] = "Error (文字列が取れません)";

}  // namespace Nerlo_BGM::Texts
