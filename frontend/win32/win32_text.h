// Where the front-end's strings cross into Win32: UTF-16 for what is shown, the ANSI code page for
// paths, because files, INI and MCI stay on the ANSI calls.
#pragma once
#include <windows.h>

#include <string>

namespace Nerlo_B {

inline std::wstring WideOf(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string U16Of(const wchar_t* psz) {
    return std::u16string(psz, psz + wcslen(psz));
}

}  // namespace Nerlo_B
