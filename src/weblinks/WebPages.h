#pragma once

#include "weblinks/AdItem.h"

#include <cstddef>
#include <functional>
#include <string>

// What the program asks of the shell to show a web page in the browser.
struct ShellOpenRequest {
    std::wstring file;
    // Empty for the default action.
    std::wstring verb;
    int show = 0;
    // Through ShellExecuteExW rather than ShellExecuteW.
    bool extended = false;
};
using ShellOpener = std::function<void(const ShellOpenRequest&)>;

// Puts opener in the place of the shell, so that pages go to it instead (tests record them and
// no browser ever starts); an empty one gives the shell back. Returns the one it replaced.
ShellOpener ReplaceShellOpener(ShellOpener opener);

// Opens a page of the maker's site (the update page): ShellExecuteW with the verb "open" and
// SW_SHOWDEFAULT. What the shell answers is not looked at.
void OpenWebPage(const std::wstring& url);

// Opens the page of advertised link index: its address on the partner site with the program's
// version (see AdLinks::AdLinkUrl), through ShellExecuteExW with the default action and
// SW_SHOWNORMAL. False, and nothing opened, when there is no such link.
bool OpenAdLink(const AdItems& items, std::size_t index);
