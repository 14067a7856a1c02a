#include "model/FirstRunPlan.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <unordered_map>

namespace FirstRunPlan {

namespace {

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); });
    return lower;
}

std::wstring_view FileNameOf(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

std::wstring_view ExtensionOf(std::wstring_view fileName) {
    const std::size_t dot = fileName.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view{} : fileName.substr(dot);
}

bool Contains(const std::wstring& text, std::wstring_view part) {
    return text.find(part) != std::wstring::npos;
}

// Two items open the same thing when their targets are equal as paths are on Windows: without
// regard to case or to the kind of slash. Items without a target are never merged.
std::wstring TargetKey(const FoundItem& item) {
    if (item.target.empty()) {
        return L"?" + Lower(item.path);
    }
    std::wstring key = Lower(item.target);
    std::replace(key.begin(), key.end(), L'/', L'\\');
    while (key.size() > 3 && key.back() == L'\\') {
        key.pop_back();
    }
    return key;
}

bool ByName(const FoundItem& a, const FoundItem& b) {
    const std::wstring nameA = NameOf(a.path);
    const std::wstring nameB = NameOf(b.path);
    const std::wstring lowerA = Lower(nameA);
    const std::wstring lowerB = Lower(nameB);
    if (lowerA != lowerB) {
        return lowerA < lowerB;
    }
    if (nameA != nameB) {
        return nameA < nameB;
    }
    return Lower(a.path) < Lower(b.path);
}

// The items of one group; leaveOut says whether uninstallers and read-mes are sorted out.
Group Choose(const wchar_t* name, const std::vector<FoundItem>& found, bool leaveOut, std::vector<Skipped>& skipped) {
    Group group{name, {}};
    std::unordered_map<std::wstring, std::wstring> taken; // target key -> path kept
    for (const FoundItem& item : found) {
        if (item.kind == ItemKind::Other) {
            skipped.push_back({item.path, L"not a shortcut or a program"});
            continue;
        }
        if (item.broken) {
            skipped.push_back(
                {item.path, L"broken: " + (item.problem.empty() ? L"its target is missing" : item.problem)});
            continue;
        }
        if (leaveOut) {
            if (std::wstring why = WhyLeftOut(item); !why.empty()) {
                skipped.push_back({item.path, std::move(why)});
                continue;
            }
        }
        const auto [at, added] = taken.emplace(TargetKey(item), item.path);
        if (!added) {
            skipped.push_back({item.path, L"opens the same as " + at->second});
            continue;
        }
        group.items.push_back(item);
    }
    std::stable_sort(group.items.begin(), group.items.end(), ByName);
    for (std::size_t i = MaxPerGroup; i < group.items.size(); ++i) {
        skipped.push_back({group.items[i].path, L"the group \"" + group.name + L"\" is full (" +
                                                    std::to_wstring(MaxPerGroup) + L" shortcuts)"});
    }
    if (group.items.size() > MaxPerGroup) {
        group.items.resize(MaxPerGroup);
    }
    return group;
}

} // namespace

ItemKind KindOf(std::wstring_view fileName) {
    const std::wstring extension = Lower(ExtensionOf(FileNameOf(fileName)));
    if (extension == L".lnk") {
        return ItemKind::Shortcut;
    }
    if (extension == L".url") {
        return ItemKind::InternetShortcut;
    }
    if (extension == L".exe") {
        return ItemKind::Program;
    }
    return ItemKind::Other;
}

std::wstring NameOf(const std::wstring& path) {
    const std::wstring_view fileName = FileNameOf(path);
    const std::size_t dot = fileName.rfind(L'.');
    return std::wstring(dot == std::wstring_view::npos || dot == 0 ? fileName : fileName.substr(0, dot));
}

std::wstring WhyLeftOut(const FoundItem& item) {
    const std::wstring name = Lower(NameOf(item.path));
    // A URL names no file; only a path target says what program or document it opens.
    const std::wstring target = item.kind == ItemKind::InternetShortcut ? L"" : Lower(FileNameOf(item.target));
    for (const std::wstring* text : {&name, &target}) {
        if (Contains(*text, L"uninst") || text->starts_with(L"unins") || Contains(*text, L"deinstall")) {
            return L"an uninstaller";
        }
    }
    for (const std::wstring_view readMe : {L"readme", L"read me", L"read-me", L"read_me", L"liesmich"}) {
        if (Contains(name, readMe) || Contains(target, readMe)) {
            return L"a read-me";
        }
    }
    static constexpr std::array<std::wstring_view, 8> Documents = {L".txt",  L".chm", L".hlp", L".htm",
                                                                   L".html", L".rtf", L".log", L".nfo"};
    const std::wstring_view extension = ExtensionOf(target);
    if (std::find(Documents.begin(), Documents.end(), extension) != Documents.end()) {
        return L"opens a document (" + std::wstring(extension) + L"), not a program";
    }
    return L"";
}

Plan Make(const std::vector<FoundItem>& desktop, const std::vector<FoundItem>& programs) {
    Plan plan;
    // The Desktop holds what the user chose to put there; only the Start menu brings along the
    // uninstallers and read-mes of every setup program.
    plan.desktop = Choose(DesktopGroupName, desktop, false, plan.skipped);
    plan.programs = Choose(ProgramsGroupName, programs, true, plan.skipped);
    return plan;
}

} // namespace FirstRunPlan
