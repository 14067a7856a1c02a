#include "weblinks/WebPages.h"

#include "foundation/logging/Log.h"
#include "foundation/version/FileVersion.h"
#include "foundation/win32/DataFolder.h"
#include "weblinks/AdLinks.h"

#include <windows.h>

#include <shellapi.h>

#include <utility>

namespace {

void OpenWithShell(const ShellOpenRequest& request) {
    if (!request.extended) {
        ShellExecuteW(nullptr, request.verb.empty() ? nullptr : request.verb.c_str(), request.file.c_str(), nullptr,
                      nullptr, request.show);
        return;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.lpVerb = request.verb.empty() ? nullptr : request.verb.c_str();
    info.lpFile = request.file.c_str();
    info.nShow = request.show;
    ShellExecuteExW(&info);
}

ShellOpener& CurrentOpener() {
    static ShellOpener opener;
    return opener;
}

void Open(const ShellOpenRequest& request) {
    LOG_INF("WebPages::Open", L"Opening " << request.file);
    const ShellOpener& opener = CurrentOpener();
    if (opener) {
        opener(request);
    } else {
        OpenWithShell(request);
    }
}

} // namespace

ShellOpener ReplaceShellOpener(ShellOpener opener) {
    return std::exchange(CurrentOpener(), std::move(opener));
}

void OpenWebPage(const std::wstring& url) {
    Open(ShellOpenRequest{url, L"open", SW_SHOWDEFAULT, false});
}

bool OpenAdLink(const AdItems& items, std::size_t index) {
    if (index >= items.size()) {
        LOG_ERR("WebPages::OpenAdLink", L"There is no advertised link " << index << L" among " << items.size());
        return false;
    }
    const std::wstring version = Tessel::Common::FormatVersion(Tessel::Common::ReadProgramFileVersion());
    Open(ShellOpenRequest{AdLinks::AdLinkUrl(items[index], AdLinks::PartnerHost(), version), L"", SW_SHOWNORMAL, true});
    return true;
}
