#pragma once

#include <string>

// The value under the user's Run key that starts the program at logon: its name is the program
// file's name without folder and extension, its data the full path in double quotes.
namespace AutoStartValue {

std::wstring NameFor(const std::wstring& programPath);
std::wstring DataFor(const std::wstring& programPath);

} // namespace AutoStartValue
