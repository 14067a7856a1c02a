#pragma once

#include <windows.h>

#include <string>

// Export and import asked of the running program by a second start with "/export <file>" or
// "/import <file>": a WM_COPYDATA message to the panel carrying the full path as UTF-16 text.
namespace LayoutRequest {

inline constexpr ULONG_PTR ExportCode = 0x54425845; // "EXBT"
inline constexpr ULONG_PTR ImportCode = 0x54424D49; // "IMBT"
// What the panel answers.
inline constexpr LRESULT Done = 1;
inline constexpr LRESULT Failed = 2;
// Paths longer than this are not paths the system takes.
inline constexpr DWORD MaxPathBytes = 32768 * sizeof(wchar_t);

} // namespace LayoutRequest
