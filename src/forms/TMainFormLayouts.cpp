// The panel's commands that keep and carry the layout: restoring a daily snapshot, exporting the
// groups to a zip file and importing one, from the panel menu or from a second start.
#include "forms/LayoutRequest.h"
#include "forms/TMainForm.h"

#include "culture/ICultureManager.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/SystemFunction.h"

#include <commdlg.h>

// Replaces %1, %2, ... in text by the arguments.
std::wstring TMainForm::FillText(std::wstring text, std::initializer_list<std::wstring> args) {
    int n = 1;
    for (const std::wstring& arg : args) {
        const std::wstring mark = L"%" + std::to_wstring(n++);
        for (std::size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + arg.size())) {
            text.replace(at, mark.size(), arg);
        }
    }
    return text;
}

void TMainForm::BuildLayoutMenus(TMenuItem& panel) {
    mMenuItemRestoreLayout = &panel.Add(L"Restore Layout");
    mMenuItemExportGroups = &panel.Add(L"Export Groups ...");
    mMenuItemImportGroups = &panel.Add(L"Import Groups ...");
    mMenuItemExportGroups->OnClick = [this](TMenuItem&) { mMenuItemExportGroupsClick(); };
    mMenuItemImportGroups->OnClick = [this](TMenuItem&) { mMenuItemImportGroupsClick(); };
    mPopupMenuOrvexView.OnPopup = [this] { FillRestoreMenu(); };
    // Each day's first change keeps the layout before it; so does deleting a shortcut's file.
    mOrvexModel.BeforeStoreChange = [this] { mLayouts.KeepBeforeChange(mOrvexModel.LoadProblem().empty()); };
}

std::wstring TMainForm::LayoutText(const wchar_t* key, const wchar_t* fallback) const {
    const std::wstring text = mTexts != nullptr ? mTexts->GetText(key) : std::wstring();
    return text.empty() ? fallback : text;
}

std::wstring TMainForm::Count(std::size_t count, const wchar_t* oneKey, const wchar_t* one, const wchar_t* manyKey,
                              const wchar_t* many) const {
    return count == 1 ? LayoutText(oneKey, one) : FillText(LayoutText(manyKey, many), {std::to_wstring(count)});
}

void TMainForm::ApplyLayoutTexts() {
    mMenuItemRestoreLayout->Caption = LayoutText(L"MainWindow_Menu_RestoreLayout", L"Restore Layout");
    mMenuItemExportGroups->Caption = LayoutText(L"MainWindow_Menu_ExportGroups", L"Export Groups ...");
    mMenuItemImportGroups->Caption = LayoutText(L"MainWindow_Menu_ImportGroups", L"Import Groups ...");
}

void TMainForm::FillRestoreMenu() {
    mMenuItemRestoreLayout->Clear();
    mRestoreNames.clear();
    const auto snapshots = mLayouts.Snapshots();
    if (snapshots.empty()) {
        mMenuItemRestoreLayout->Add(LayoutText(L"MainWindow_Menu_RestoreLayoutNone", L"No snapshots yet")).Enabled =
            false;
        return;
    }
    for (const auto& snapshot : snapshots) {
        TMenuItem& item = mMenuItemRestoreLayout->Add(FillText(
            LayoutText(L"MainWindow_Menu_RestoreLayoutItem", L"%1 — %2, %3"),
            {LayoutKeeper::DisplayName(snapshot.name),
             Count(snapshot.groups, L"MainWindow_Count_OneGroup", L"1 group", L"MainWindow_Count_Groups", L"%1 groups"),
             Count(snapshot.shortcuts, L"MainWindow_Count_OneShortcut", L"1 shortcut", L"MainWindow_Count_Shortcuts",
                   L"%1 shortcuts")}));
        item.Tag = static_cast<std::intptr_t>(mRestoreNames.size());
        mRestoreNames.push_back(snapshot.name);
        item.OnClick = [this](TMenuItem& chosen) { RestoreLayoutClick(chosen); };
    }
}

void TMainForm::RestoreLayoutClick(TMenuItem& item) {
    TRACE_FUNCTION("TMainForm::RestoreLayoutClick");
    LOG_USER_ACTION("TMainForm::RestoreLayoutClick");
    if (item.Tag < 0 || static_cast<std::size_t>(item.Tag) >= mRestoreNames.size()) {
        return;
    }
    const std::wstring name = mRestoreNames[static_cast<std::size_t>(item.Tag)];
    const std::wstring question = FillText(
        LayoutText(L"MainWindow_RestoreLayoutConfirm",
                   L"Restore the groups and shortcuts of %1? The current layout is kept as a snapshot first, so "
                   L"you can go back to it."),
        {LayoutKeeper::DisplayName(name)});
    LOG_INF("TMainForm::RestoreLayoutClick", L"Asking: " << question);
    if (MessageBoxW(Handle(), question.c_str(), L"Tilebay", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        LOG_INF("TMainForm::RestoreLayoutClick", L"Restore of " << name << L" not confirmed");
        return;
    }
    // What the panel shows is what the snapshot of the current state keeps.
    SaveChangesNow();
    const LayoutSnapshots::RestoreResult result = mLayouts.Restore(name);
    if (!result.ok) {
        const std::wstring text = FillText(
            LayoutText(L"MainWindow_RestoreLayoutFailed", L"The layout could not be restored: %1"), {result.error});
        MessageBoxW(Handle(), text.c_str(), L"Tilebay", MB_OK | MB_ICONERROR);
        return;
    }
    ReloadGroupViews();
}

void TMainForm::ReloadGroupViews() {
    TRACE_FUNCTION("TMainForm::ReloadGroupViews");
    HideLinkToolTip();
    for (const auto& view : mGroupViews) {
        ForgetGroupView(view.get());
        mRootView.RemoveChild(view.get());
    }
    mGroupViews.clear();
    mOrvexModel.Load();
    for (const auto& group : mOrvexModel.GetGroups()) {
        mRootView.AddChild(CreateGroupView(group.get()));
    }
    mRootView.UpdateLayout();
    StartIconLookUps();
    Invalidate();
    UpdateFirstRunOffer();
    LOG_INF("TMainForm::ReloadGroupViews", L"Groups shown again: " << mGroupViews.size());
}

std::wstring TMainForm::ChooseZipFile(bool save) {
    std::wstring filter = LayoutText(L"MainWindow_ZipFiles", L"Zip archives (*.zip)");
    filter += L'\0';
    filter += L"*.zip";
    filter += L'\0';
    filter += L'\0';
    wchar_t path[MAX_PATH] = L"";
    if (save) {
        wcscpy_s(path, L"Tilebay groups.zip");
    }
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"zip";
    dialog.Flags =
        OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // The common dialogs are loaded when a file is first chosen.
    const auto choose = Tessel::Common::SystemFunction<decltype(GetOpenFileNameW)>(
        L"comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
    const BOOL chosen = choose != nullptr && choose(&dialog);
    return chosen ? std::wstring(path) : std::wstring();
}

void TMainForm::mMenuItemExportGroupsClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemExportGroupsClick");
    LOG_USER_ACTION("TMainForm::mMenuItemExportGroupsClick");
    const std::wstring path = ChooseZipFile(true);
    if (path.empty()) {
        return;
    }
    const std::wstring error = ExportLayout(path);
    if (!error.empty()) {
        const std::wstring text =
            FillText(LayoutText(L"MainWindow_ExportGroupsFailed", L"The groups could not be exported: %1"), {error});
        MessageBoxW(Handle(), text.c_str(), L"Tilebay", MB_OK | MB_ICONERROR);
    }
}

void TMainForm::mMenuItemImportGroupsClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemImportGroupsClick");
    LOG_USER_ACTION("TMainForm::mMenuItemImportGroupsClick");
    const std::wstring path = ChooseZipFile(false);
    if (path.empty()) {
        return;
    }
    const std::wstring error = ImportLayout(path);
    if (!error.empty()) {
        const std::wstring text =
            FillText(LayoutText(L"MainWindow_ImportGroupsFailed", L"The groups could not be imported: %1"), {error});
        MessageBoxW(Handle(), text.c_str(), L"Tilebay", MB_OK | MB_ICONERROR);
    }
}

std::wstring TMainForm::ExportLayout(const std::wstring& path) {
    // The file holds what the panel shows.
    SaveChangesNow();
    if (mOrvexModel.IsChanged()) {
        return L"Unable to write to " + mOrvexModel.GetStorePath();
    }
    return mLayouts.Export(path);
}

std::wstring TMainForm::ImportLayout(const std::wstring& path) {
    if (mOrvexModel.GetDataFolder().empty()) {
        return L"the groups are not loaded yet";
    }
    const LayoutArchive::ImportResult import = mLayouts.Read(path);
    if (!import.Ok()) {
        return import.error;
    }
    const LayoutImportOutcome outcome =
        mLayouts.AddTo(mOrvexModel, import, GroupArea(), mOrvexModel.LoadProblem().empty());
    ShowAddedGroups(outcome.groups);
    if (mOrvexModel.IsChanged()) {
        return L"Unable to write to " + mOrvexModel.GetStorePath();
    }
    return {};
}

GroupGeometry::Rect TMainForm::GroupArea() const {
    // Group places are stored in design units: the panel's client area in them, below the band
    // and off the edges.
    const Tessel::Common::DisplayScale scale = Scale();
    constexpr int Margin = GroupGeometry::SnapGrid;
    return GroupGeometry::Rect{Margin, BandHeight + Margin, scale.Design(ClientWidth()) - Margin,
                               scale.Design(ClientHeight()) - Margin};
}

bool TMainForm::OnLayoutRequest(LPARAM lParam, LRESULT& result) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || (data->dwData != LayoutRequest::ExportCode && data->dwData != LayoutRequest::ImportCode)) {
        return false;
    }
    result = LayoutRequest::Failed;
    if (data->lpData == nullptr || data->cbData == 0 || data->cbData % sizeof(wchar_t) != 0 ||
        data->cbData > LayoutRequest::MaxPathBytes) {
        LOG_ERR("TMainForm::OnLayoutRequest", L"A request from another start carried no usable path; ignored");
        return true;
    }
    std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    path = path.c_str();
    const bool exporting = data->dwData == LayoutRequest::ExportCode;
    LOG_INF("TMainForm::OnLayoutRequest", (exporting ? L"Export" : L"Import") << L" asked by another start: " << path);
    std::wstring error;
    try {
        error = exporting ? ExportLayout(path) : ImportLayout(path);
    } catch (const Exception& e) {
        error = e.Message();
    } catch (...) {
        error = L"unexpected failure";
    }
    if (!error.empty()) {
        LOG_ERR("TMainForm::OnLayoutRequest", (exporting ? L"Export" : L"Import") << L" failed: " << error);
        return true;
    }
    result = LayoutRequest::Done;
    return true;
}
