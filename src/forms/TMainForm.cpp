#include "forms/TMainForm.h"

#include "culture/ICultureManager.h"
#include "forms/PanelDecoration.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/UniqueHandle.h"
#include "framework/Application.h"
#include "framework/ErrorSink.h"
#include "graphics/Canvas.h"
#include "framework/GuiObjectCount.h"
#include "framework/HintWindow.h"
#include "os/IOsSpecific.h"
#include "settings/ConfigItems.h"
#include "settings/IUserSettings.h"
#include "weblinks/WebAddresses.h"

#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

bool TMainForm::sMouseDown = false;
bool TMainForm::sDragging = false;
POINT TMainForm::sLastCursorPos{0, 0};

namespace {

// The panel's design colour, seen only before the first paint.
constexpr COLORREF PanelColor = RGB(166, 202, 240);
constexpr int DesignClientWidth = 984;
constexpr int DesignClientHeight = 562;
// Sizes below are design pixels (96 DPI), scaled for the window's display.
// A press and release closer than this are a click; a move farther than this starts a drag.
constexpr int ClickSlop = 1;
constexpr int DragThreshold = 4;
// A drag on empty panel space above this moves the panel itself.
constexpr int MoveBandHeight = 29;
// The labels of the band.
constexpr wchar_t LabelFont[] = L"Verdana";
constexpr int LabelFontHeight = 13;
// The first-run offer reads as the hint's second line.
constexpr int FirstRunOfferFontHeight = 15;
// The band's buttons: the flat buttons' size and the glyphs' design size.
constexpr int ButtonWidth = 23;
constexpr int ButtonHeight = 24;
constexpr int LinksButtonSize = 21;
constexpr int GlyphSize = 16;

POINT CursorPos() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

bool IsLeftButtonDown() {
    return GetKeyState(VK_LBUTTON) < 0;
}

PanelDecoration::Size SizeOf(const TGraphic& picture) {
    return PanelDecoration::Size{picture.Width(), picture.Height()};
}

RECT ToRECT(const PanelDecoration::Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

void LoadPng(TAlphaImage& image, const wchar_t* name) {
    if (!image.LoadFromResource(GetModuleHandleW(nullptr), name)) {
        throw Exception(std::wstring(L"The picture ") + name + L" is missing from the program");
    }
}

int AddGlyph(TImageList& list, const wchar_t* name) {
    TAlphaImage glyph;
    LoadPng(glyph, name);
    return list.Add(glyph);
}

} // namespace

TMainForm::TMainForm()
    : mBackgrounds{{{L"Green", L"gradient_green_light", {}},
                    {L"Purple", L"gradient_purple_light", {}},
                    {L"Red", L"gradient_red_light", {}},
                    {L"Gray", L"gradient_black_light", {}},
                    {L"Blue", L"gradient_blue_light", {}},
                    {L"Jade", L"gradient_jade_light", {}},
                    {L"Orange", L"gradient_orange_light", {}}}} {
    TRACE_FUNCTION("TMainForm::TMainForm");
    SetColor(PanelColor);
    // The root view keeps the panel's picture rendered off screen and copies it to the window in
    // one step; a second buffer would copy the whole panel twice more. Only the thin band and its
    // buttons are drawn over it on the window.
    SetDoubleBuffered(false);
    BuildMenus();

    mBtnStick.GroupIndex = 10;
    mBtnStick.AllowAllUp = true;
    mBtnStick.OnClick = [this] { mBtnStickClick(); };
    mBtnShowAdMenu.SetVisible(false);
    for (TLabel* label : {&mLbLink, &mLbProductName, &mLbBottomLeft, &mLbFirstRunFill}) {
        label->SetFontName(LabelFont);
        label->SetFontColor(RGB(255, 255, 255));
        label->SetFontUnderline(true);
        label->SetCursor(LoadCursorW(nullptr, IDC_HAND));
    }
    mLbLink.SetCaption(L"Get More Apps ...");
    mLbLink.SetVisible(false);
    mBtnShowAdMenu.OnClick = [this] { mBtnShowAdMenuClick(); };
    mLbLink.OnClick = [this] { mLbLinkClick(); };
    mLbBottomLeft.SetCaption(WebAddresses::SiteCaption);
    mLbProductName.SetCaption(L"Tilebay");
    // Shown once the loaded store says the panel is empty.
    mLbFirstRunFill.SetCaption(L"Fill it from my Desktop and Start menu");
    mLbFirstRunFill.SetVisible(false);

    mFilterEdit.SetVisible(false);
    mFilterEdit.OnChange = [this] { FilterChanged(); };
    mFilterEdit.OnKeyDown = [this](WORD key) { return FilterKey(key); };
    ApplyScale();

    mTimerSaveChanges.OnTimer = [this] { mTimerSaveChangesTimer(); };
    mTimerIconProgress.OnTimer = [this] { mTimerIconProgress.SetEnabled(mIcons.CheckProgress()); };
    WireCommands();
}

TMainForm::~TMainForm() {
    TRACE_FUNCTION("~TMainForm::TMainForm");
}

void TMainForm::LoadPictures() {
    for (Background& background : mBackgrounds) {
        if (background.bitmap.Empty() &&
            !background.bitmap.LoadFromResource(GetModuleHandleW(nullptr), background.resource)) {
            throw Exception(std::wstring(L"The picture ") + background.resource + L" is missing from the program");
        }
    }
    LoadDecorationPictures();
}

void TMainForm::LoadDecorationPictures() {
    const int pictureScale = PanelDecoration::PictureScaleFor(Scale());
    if (pictureScale == mPictureScale) {
        return;
    }
    const auto load = [pictureScale](TAlphaImage& image, const wchar_t* name) {
        LoadPng(image, PanelDecoration::ScaledPictureName(name, pictureScale).c_str());
    };
    load(mPngTopLeft, L"PngTopLeft");
    load(mPngTopRight, L"PngTopRight");
    load(mPngLeft, L"PngLeft");
    load(mPngRight, L"PngRight");
    load(mPngTop, L"PngTop");
    load(mPngBottom, L"PngBottom");
    load(mPngBottomLeft, L"PngBottomLeft");
    load(mPngBottomRight, L"PngBottomRight");
    load(mPngReflection, L"PngReflection");
    load(mBandOverlay, L"transparent40percent");

    // The glyphs are drawn at 16, 24 and 32 pixels: the one of the picture scale.
    const int glyphSize = GlyphSize * pictureScale / 100;
    const std::wstring size = std::to_wstring(glyphSize);
    mBtnAdd.SetGlyph(nullptr);
    mBtnStick.SetGlyph(nullptr, nullptr);
    mBtnShowAdMenu.SetGlyph(nullptr);
    mImageListButtons = TImageList(glyphSize, glyphSize);
    const int add = AddGlyph(mImageListButtons, (L"GlyphAdd" + size).c_str());
    const int stickUp = AddGlyph(mImageListButtons, (L"GlyphPinUp" + size).c_str());
    const int stickDown = AddGlyph(mImageListButtons, (L"GlyphPinDown" + size).c_str());
    const int links = AddGlyph(mImageListButtons, (L"GlyphLinks" + size).c_str());
    mBtnAdd.SetGlyph(&mImageListButtons[add]);
    mBtnStick.SetGlyph(&mImageListButtons[stickUp], &mImageListButtons[stickDown]);
    mBtnShowAdMenu.SetGlyph(&mImageListButtons[links]);
    mPictureScale = pictureScale;
}

void TMainForm::ApplyScale() {
    const Tessel::Common::DisplayScale scale = Scale();
    mBtnStick.SetBounds(mBtnStick.Left(), scale.Px(2), scale.Px(ButtonWidth), scale.Px(ButtonHeight));
    mBtnAdd.SetBounds(mBtnAdd.Left(), scale.Px(2), scale.Px(ButtonWidth), scale.Px(ButtonHeight));
    mBtnShowAdMenu.SetBounds(scale.Px(2), scale.Px(2), scale.Px(LinksButtonSize), scale.Px(LinksButtonSize + 1));
    for (TLabel* label : {&mLbLink, &mLbProductName, &mLbBottomLeft}) {
        label->SetFontHeight(scale.Px(LabelFontHeight));
    }
    mLbFirstRunFill.SetFontHeight(scale.Px(FirstRunOfferFontHeight));
    mRootView.SetScale(scale);
    const GroupGeometry::Metrics metrics = GroupGeometry::MetricsFor(scale);
    for (const auto& view : mGroupViews) {
        view->SetMetrics(metrics);
        view->ReloadFromModel();
    }
}

void TMainForm::BuildMenus() {
    TMenuItem& link = mPopupMenuLinkItem.Items;
    mMenuItemOpenFileLocation = &link.Add(L"Open File Location ...");
    mMenuItemShowToolTip = &link.Add(L"Show Tooltip");
    mMenuItemShowToolTip->Checked = true;
    mMenuItemLinkItemOpenProperties = &link.Add(L"Properties ...");
    link.Add(L"-");
    mMenuItemDeleteLinkItem = &link.Add(L"Delete Shortcut");

    TMenuItem& group = mPopupMenuLinkGroup.Items;
    mMenuItemGroupIconStyle = &group.Add(L"Icon Style");
    mMenuItemIconStyleLarge = &mMenuItemGroupIconStyle->Add(L"Large");
    mMenuItemIconStyleLargeWithText = &mMenuItemGroupIconStyle->Add(L"Large with text");
    mMenuItemIconStyleSmall = &mMenuItemGroupIconStyle->Add(L"Small");
    for (TMenuItem* style : {mMenuItemIconStyleLarge, mMenuItemIconStyleLargeWithText, mMenuItemIconStyleSmall}) {
        style->RadioItem = true;
    }
    mMenuItemGroupBackground = &group.Add(L"Background");
    group.Add(L"-");
    mMenuItemDeleteGroup = &group.Add(L"Delete Group");
    BuildBackgroundMenu();

    TMenuItem& panel = mPopupMenuOrvexView.Items;
    mMenuItemAddNewGroup = &panel.Add(L"Add new group");
    panel.Add(L"-");
    mMenuItemOptions = &panel.Add(L"Options ...");
    mMenuItemAbout = &panel.Add(L"About");
    panel.Add(L"-");
    BuildLayoutMenus(panel);
    panel.Add(L"-");
    mMenuItemExitApplication = &panel.Add(L"Exit Application");
    mMenuItemExitApplication->OnClick = [this](TMenuItem&) { mMenuItemExitApplicationClick(); };
}

void TMainForm::BuildBackgroundMenu() {
    for (int i = 0; i < BackgroundCount; ++i) {
        TMenuItem& item = mMenuItemGroupBackground->Add(mBackgrounds[i].caption);
        item.Bitmap = &mBackgrounds[i].bitmap;
        item.Tag = i;
        item.RadioItem = true;
    }
}

void TMainForm::CreateParams(TCreateParams& params) {
    TRACE_FUNCTION("TMainForm::CreateParams");
    params.windowClassName = L"TMainForm";
    params.caption = L"Tilebay";
    params.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
    // The edge window places and sizes the panel from the settings before showing it.
    params.x = 0;
    params.y = 0;
    params.width = Scale().Px(DesignClientWidth);
    params.height = Scale().Px(DesignClientHeight);
}

void TMainForm::FormCreate() {
    TRACE_FUNCTION("TMainForm::FormCreate");
    // No caption, but the sizing border stays.
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void TMainForm::SetDataFolder(const std::wstring& folder) {
    mDataFolder = folder;
    mLinksFolder = Tessel::Common::JoinPath(folder, L"Data");
    if (!Tessel::Common::PathExists(mLinksFolder)) {
        Tessel::Common::ForceDirectories(mLinksFolder);
    }
    mLayouts.SetDataFolder(folder);
}

void TMainForm::FormShow() {
    TRACE_FUNCTION("TMainForm::FormShow");
    // What only the shown panel needs comes after the button is on the screen.
    LoadPictures();
    mDropTarget.Register(mDropTargetRegistration);
    mOrvexModel.SetDataFolder(mLinksFolder);
    mOrvexModel.Load();
    ChooseBackgroundPicture();

    mRootView.SetBackground(&mPanelPicture);
    mRootView.SetDragDropManager(&mDragState);
    mRootView.OnInvalidate = [this](IElementView* view, bool flag) { InvalidateElement(view, flag); };
    for (const auto& group : mOrvexModel.GetGroups()) {
        mRootView.AddChild(CreateGroupView(group.get()));
        mRootView.UpdateLayout();
    }
    StartIconLookUps();
    ApplyCultureTexts();
    UpdateFirstRunOffer();
    BuildAdMenu();
    HideLinkLabelOnFirstRunDay();
    // A store that could not be read is reported once the panel shows what could be read; the
    // message goes to the application's handler, which shows it after this handler returns.
    ApplyHotkey();
    if (!mOrvexModel.LoadProblem().empty()) {
        throw Exception(mOrvexModel.LoadProblem());
    }
}

LinkGroupView* TMainForm::CreateGroupView(LinkGroupModel* group) {
    auto view = std::make_unique<LinkGroupView>();
    view->OnInvalidate = [this](IElementView* v, bool flag) { InvalidateElement(v, flag); };
    view->OnDecorate = [this](TCanvas* canvas, RECT& body) { DecorateRect(canvas, body); };
    view->OnShowToolTip = [this](LinkGroupView* g, std::wstring& text, POINT p) { ShowLinkToolTip(g, text, p); };
    view->OnHideToolTip = [this] { HideLinkToolTip(); };
    view->OnLinkWithoutLook = [this](LinkItemModel* link) { RequestLooks({link}); };
    view->SetBackground(&BackgroundFor(group->GetSettings().BackgroundIndex()));
    view->SetModel(group);
    view->SetMetrics(GroupGeometry::MetricsFor(Scale()));
    view->ReloadFromModel();
    view->SetDragDropManager(&mDragState);
    mGroupViews.push_back(std::move(view));
    return mGroupViews.back().get();
}

const TBitmap& TMainForm::BackgroundFor(int backgroundIndex) const {
    // A negative index read from the store still names one of the seven.
    return mBackgrounds[((backgroundIndex % BackgroundCount) + BackgroundCount) % BackgroundCount].bitmap;
}

void TMainForm::ApplyCultureTexts() {
    if (mTexts == nullptr) {
        return;
    }
    ICultureManager& t = *mTexts;
    mMenuItemOpenFileLocation->Caption = t.GetText(L"MainWindow_Menu_OpenFileLocation");
    mMenuItemShowToolTip->Caption = t.GetText(L"MainWindow_Menu_ShowToolTip");
    mMenuItemLinkItemOpenProperties->Caption = t.GetText(L"MainWindow_Menu_Properties");
    mMenuItemDeleteLinkItem->Caption = t.GetText(L"MainWindow_Menu_DeleteShortcut");
    mMenuItemGroupIconStyle->Caption = t.GetText(L"MainWindow_Menu_GroupIconStyle");
    mMenuItemIconStyleLarge->Caption = t.GetText(L"MainWindow_Menu_GroupIconStyleLarge");
    mMenuItemIconStyleLargeWithText->Caption = t.GetText(L"MainWindow_Menu_GroupIconStyleLargeWithText");
    mMenuItemIconStyleSmall->Caption = t.GetText(L"MainWindow_Menu_GroupIconStyleSmall");
    mMenuItemGroupBackground->Caption = t.GetText(L"MainWindow_Menu_GroupBackground");
    mMenuItemDeleteGroup->Caption = t.GetText(L"MainWindow_Menu_DeleteGroup");
    mMenuItemAddNewGroup->Caption = t.GetText(L"MainWindow_Menu_AddNewGroup");
    mMenuItemOptions->Caption = t.GetText(L"MainWindow_Menu_Options");
    mMenuItemAbout->Caption = t.GetText(L"MainWindow_Menu_About");
    mMenuItemExitApplication->Caption = t.GetText(L"MainWindow_Menu_ExitApplication");
    mBtnAdd.SetHint(t.GetText(L"MainWindow_Btn_AddNewGroup"));
    mBtnStick.SetHint(t.GetText(L"MainWindow_Btn_EnableOrDisableAutoHide"));
    mLbProductName.SetCaption(t.GetText(L"MainWindow_Lb_ProductName"));
    mRootView.SetHintText(t.GetText(L"MainWindow_AddNewGroupTip"));
    mLbFirstRunFill.SetCaption(t.GetText(L"MainWindow_FillFromDesktopAndStartMenu"));
    PlaceFirstRunOffer();
    mFilterEdit.SetCueBanner(t.GetText(L"MainWindow_Filter_Hint"));
    mFilterEdit.SetAccessibleName(t.GetText(L"MainWindow_Filter_Hint"));
    ApplyLayoutTexts();
}

void TMainForm::ChooseBackgroundPicture() {
    TRACE_FUNCTION("TMainForm::ChooseBackgroundPicture");
    mPanelPicture = TBitmap();
    if (mConfigItems != nullptr && !mLinksFolder.empty()) {
        int& last = mConfigItems->LastBackgroundImageIndex.value;
        // One search of the Data folder instead of a look-up per picture name: the folder holds
        // every shortcut file, and a name that is missing costs the system a scan of the folder.
        std::array<bool, PanelDecoration::PictureCount> present{};
        WIN32_FIND_DATAW found{};
        const Tessel::Common::UniqueFindHandle search(
            FindFirstFileW(Tessel::Common::JoinPath(mLinksFolder, L"Back*.bmp").c_str(), &found));
        if (search) {
            do {
                const int number = PanelDecoration::PictureNumberOf(found.cFileName);
                if (number >= 0 && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    present[static_cast<std::size_t>(number)] = true;
                }
            } while (FindNextFileW(search.Get(), &found));
        }
        for (int number : PanelDecoration::PictureSearchOrder(last)) {
            if (!present[static_cast<std::size_t>(number)]) {
                continue;
            }
            const std::wstring path = Tessel::Common::JoinPath(mLinksFolder, PanelDecoration::PictureFileName(number));
            if (mPanelPicture.LoadFromFile(path)) {
                LOG_INF("TMainForm::ChooseBackgroundPicture", L"Panel picture: " << path);
                last = number;
                mPanelPicturePath = path;
                ScalePanelPicture();
                return;
            }
            LOG_ERR("TMainForm::ChooseBackgroundPicture", L"Not a readable bitmap, skipped: " << path);
        }
    }
    LoadBuiltInPanelPicture();
}

void TMainForm::LoadBuiltInPanelPicture() {
    mPanelPicturePath.clear();
    const std::wstring builtIn = PanelDecoration::ScaledPictureName(L"Back", PanelDecoration::PictureScaleFor(Scale()));
    // Drawn as stored (16 colours): an eighth of the memory of a 32-bit copy, and no conversion.
    if (!mPanelPicture.LoadFromResourceAsStored(GetModuleHandleW(nullptr), builtIn.c_str())) {
        LOG_ERR("TMainForm::ChooseBackgroundPicture", L"The built-in panel picture could not be loaded");
    }
}

void TMainForm::ScalePanelPicture() {
    const Tessel::Common::DisplayScale scale = Scale();
    if (scale.IsDesign() || mPanelPicture.Empty()) {
        return;
    }
    // Once, when the picture is loaded: a smoothing filter costs too much for every paint.
    TBitmap scaled(scale.Px(mPanelPicture.Width()), scale.Px(mPanelPicture.Height()));
    if (scaled.Empty()) {
        return;
    }
    SetStretchBltMode(scaled.Dc(), HALFTONE);
    SetBrushOrgEx(scaled.Dc(), 0, 0, nullptr);
    if (StretchBlt(scaled.Dc(), 0, 0, scaled.Width(), scaled.Height(), mPanelPicture.Dc(), 0, 0,
                   mPanelPicture.Width(), mPanelPicture.Height(), SRCCOPY)) {
        mPanelPicture = std::move(scaled);
    }
}

void TMainForm::FormDpiChanged() {
    TRACE_FUNCTION("TMainForm::FormDpiChanged");
    LOG_INF("TMainForm::FormDpiChanged", L"The panel is on a screen of " << Dpi() << L" DPI now");
    LoadDecorationPictures();
    ApplyScale();
    if (mIcons.LargeIconSize() != Scale().Px(GroupGeometry::LargeIconSize)) {
        // The icons of the old size are kept in their cache, and the new size's are looked up
        // (or read from its own cache).
        mIcons.Stop();
        SaveIconCache();
        for (const auto& group : mOrvexModel.GetGroups()) {
            for (const auto& link : group->GetLinks()) {
                link->ForgetLook();
            }
        }
        mAllIconsShown = false;
        StartIconLookUps();
    }
    // The same picture again, at the new scale.
    if (mPanelPicturePath.empty() || !mPanelPicture.LoadFromFile(mPanelPicturePath)) {
        LoadBuiltInPanelPicture();
    } else {
        ScalePanelPicture();
    }
    mRootView.SetBackground(&mPanelPicture);
    mRootView.UpdateLayout();
    FormResize();
}

void TMainForm::FormPaint(HDC dc, const RECT& clip) {
    TRACE_FUNCTION("TMainForm::FormPaint");
    mRootView.Paint(dc, &clip);
    const RECT band{0, 0, ClientWidth(), Scale().Px(BandHeight)};
    RECT overlap;
    if (IntersectRect(&overlap, &band, &clip)) {
        mBandOverlay.StretchDraw(dc, band);
    }
    if (!mPaintedOnce) {
        mPaintedOnce = true;
        LOG_INF("TMainForm::FormPaint", L"First paint of the panel done");
        if (!mRootView.KeepsPicture()) {
            PostMessageW(Handle(), KeepPictureMessage, 0, 0);
        }
        if (!mLooksAfterFirstPaint.empty()) {
            std::vector<LinkItemModel*> looks;
            looks.swap(mLooksAfterFirstPaint);
            RequestLooks(looks);
        }
    }
}

void TMainForm::SetKeepsPicture(bool keeps) {
    mRootView.SetKeepsPicture(keeps);
    if (keeps && Handle() != nullptr) {
        const HDC screen = GetDC(Handle());
        mRootView.MakePicture(screen);
        ReleaseDC(Handle(), screen);
    }
    LOG_DBG("TMainForm::SetKeepsPicture",
            (keeps ? L"The panel keeps its picture" : L"The panel draws straight and keeps no picture"));
}

void TMainForm::StartIconLookUps() {
    TRACE_FUNCTION("TMainForm::StartIconLookUps");
    // Icons of the sizes the screen's density needs, never stretched; each size has a cache file
    // of its own.
    mIcons.SetIconSizes(Scale().Px(GroupGeometry::LargeIconSize), Scale().Px(GroupGeometry::SmallIconSize));
    if (!mDataFolder.empty()) {
        // Only the entries of shortcuts on the panel are read from the cache, with their pictures.
        std::unordered_set<std::wstring_view> names;
        for (const auto& group : mOrvexModel.GetGroups()) {
            for (const auto& link : group->GetLinks()) {
                names.insert(link->FileName());
            }
        }
        mIcons.LoadCache(Tessel::Common::JoinPath(mDataFolder, mIcons.CacheFileName()),
                         [&names](std::wstring_view fileName) { return names.contains(fileName); });
    }
    // The listing the store's load checked the shortcut files against gives their stamps; a later
    // call (another display scale) lists the folder anew.
    std::unique_ptr<Tessel::Common::FolderFiles> files = mOrvexModel.TakeFolderListing();
    if (!files) {
        files = std::make_unique<Tessel::Common::FolderFiles>(mLinksFolder);
    }
    // Groups on the panel's face first, then the rest, each in its order.
    std::vector<LinkItemModel*> shown;
    std::vector<LinkItemModel*> hidden;
    const RECT client = ClientRect();
    for (const auto& view : mGroupViews) {
        const RECT bounds = view->GetPaintBounds();
        RECT overlap;
        const bool onFace = IntersectRect(&overlap, &bounds, &client) != FALSE;
        for (const auto& link : view->GetModel()->GetLinks()) {
            Tessel::Common::FolderFiles::Stamp stamp;
            if (files->ListedStamp(link->FileName(), stamp) &&
                mIcons.ApplyCached(*link, LinkItemModel::FileStamp{stamp.size, stamp.writeTime})) {
                continue;
            }
            (onFace ? shown : hidden).push_back(&*link);
        }
    }
    mIcons.ReleaseCache();
    shown.insert(shown.end(), hidden.begin(), hidden.end());
    if (shown.empty()) {
        // Every icon came from the cache: the panel is complete once painted.
        PostMessageW(Handle(), ShortcutIcons::ResultsMessage, 0, 0);
    }
    RequestLooks(shown);
}

void TMainForm::RequestLooks(const std::vector<LinkItemModel*>& links) {
    // The shell is asked once the panel has been painted: the start does not share the machine
    // with the look-ups.
    if (!mPaintedOnce) {
        mLooksAfterFirstPaint.insert(mLooksAfterFirstPaint.end(), links.begin(), links.end());
        return;
    }
    mIcons.Request(Handle(), links);
    if (!mIcons.Finished()) {
        mTimerIconProgress.SetEnabled(true);
    }
}

void TMainForm::TakeIconResults() {
    std::vector<ShortcutIcons::Result> results = mIcons.TakeResults();
    if (!results.empty()) {
        std::unordered_map<std::wstring, ShortcutIcons::Result*> byName;
        for (ShortcutIcons::Result& result : results) {
            byName[result.fileName] = &result;
        }
        for (const auto& view : mGroupViews) {
            const auto& links = view->GetModel()->GetLinks();
            for (std::size_t i = 0; i < links.size(); ++i) {
                LinkItemModel& link = *links[i];
                if (link.HasLook()) {
                    continue;
                }
                const auto found = byName.find(link.FileName());
                if (found == byName.end()) {
                    continue;
                }
                const ShortcutIcons::Result& r = *found->second;
                link.SetLook(r.large, r.small, r.displayName, r.stamp);
                view->InvalidateCell(Handle(), static_cast<int>(i));
            }
        }
    }
    if (mIcons.Finished()) {
        SaveIconCache();
        if (!mAllIconsShown) {
            // Paints what is waiting now, so that the line below follows the last icon's paint.
            UpdateWindow(Handle());
            mAllIconsShown = true;
            const GuiObjectCounts counts = CountGuiObjects();
            LOG_INF("TMainForm::TakeIconResults", L"All icons shown: " << AllLinks().size()
                                                                       << L" shortcuts, GDI objects " << counts.gdi
                                                                       << L", USER objects " << counts.user);
        }
    }
}

std::vector<const LinkItemModel*> TMainForm::AllLinks() const {
    std::vector<const LinkItemModel*> links;
    for (const auto& group : mOrvexModel.GetGroups()) {
        for (const auto& link : group->GetLinks()) {
            links.push_back(&*link);
        }
    }
    return links;
}

void TMainForm::SaveIconCache() {
    mIcons.SaveCacheIfChanged(AllLinks());
}

bool TMainForm::PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case ShortcutIcons::ResultsMessage:
        Guarded([this] { TakeIconResults(); });
        result = 0;
        return true;
    case WM_HOTKEY:
        if (wParam == GlobalHotkey::Id && OnHotkey) {
            LOG_USER_ACTION("TMainForm::Hotkey");
            Guarded([this] { OnHotkey(); });
        }
        result = 0;
        return true;
    case WM_CHAR:
        // Typing on the panel goes to the filter box.
        if (wParam >= 0x20 && wParam != 0x7F && mFilterEdit.Handle() != nullptr) {
            Guarded([this] { BeginFilter(false); });
            SendMessageW(mFilterEdit.Handle(), WM_CHAR, wParam, lParam);
            result = 0;
            return true;
        }
        return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        bool taken = false;
        Guarded([&] { taken = PanelKey(message, wParam); });
        result = 0;
        return taken;
    }
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            Guarded([&] { result = mAccess.Answer(wParam); });
            return result != 0;
        }
        return false;
    case KeepPictureMessage:
        Guarded([this] { SetKeepsPicture(true); });
        result = 0;
        return true;
    case AccessActionMessage:
        Guarded([this] { RunPendingAccessAction(); });
        result = 0;
        return true;
    case WM_COPYDATA:
        return OnLayoutRequest(lParam, result);
    case WM_ERASEBKGND:
        // The root view paints every pixel.
        result = 1;
        return true;
    case WM_NCCALCSIZE:
    case WM_NCHITTEST:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
        return OnNcMessage(message, wParam, lParam, result);
    default:
        return false;
    }
}

bool TMainForm::OnNcMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (mOsSpecific == nullptr) {
        return false;
    }
    WindowMessage record{Handle(), message, wParam, lParam};
    if (mOsSpecific->PreProcessMessage(record, result)) {
        return true;
    }
    result = DefaultHandler(record.message, record.wParam, record.lParam);
    mOsSpecific->PostProcessMessage(record, result);
    return true;
}

void TMainForm::FormResize() {
    TRACE_FUNCTION("TMainForm::FormResize");
    const Tessel::Common::DisplayScale scale = Scale();
    const int width = ClientWidth();
    const int top = scale.Px(2);
    mBtnShowAdMenu.SetBounds(scale.Px(2), top, mBtnShowAdMenu.Width(), mBtnShowAdMenu.Height());
    mBtnAdd.SetBounds(width - scale.Px(30), top, mBtnAdd.Width(), mBtnAdd.Height());
    mBtnStick.SetBounds(width - scale.Px(55), top, mBtnStick.Width(), mBtnStick.Height());
    mLbLink.SetBounds(scale.Px(28), scale.Px(5), mLbLink.Width(), mLbLink.Height());
    mLbProductName.SetBounds(width - scale.Px(200), scale.Px(5), mLbProductName.Width(), mLbProductName.Height());
    // Anchored to the bottom-left corner.
    mLbBottomLeft.SetBounds(scale.Px(8), ClientHeight() - scale.Px(8) - mLbBottomLeft.Height(),
                            mLbBottomLeft.Width(), mLbBottomLeft.Height());
    PlaceFirstRunOffer();
    PlaceFilterBox();
    mRootView.SetBounds(ClientRect());
    Invalidate();
}

void TMainForm::FormMouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int x, int y) {
    TRACE_FUNCTION("TMainForm::FormMouseDown");
    LOG_USER_ACTION("TMainForm::FormMouseDown");
    mDownPoint = POINT{x, y};
    sLastCursorPos = CursorPos();
    // The mouse takes over from the keyboard: its ring goes (a search keeps its selection).
    if (!mFiltering) {
        SetKeyFocus(nullptr, -1);
    }
    sMouseDown = true;
}

void TMainForm::FormMouseMove(TShiftState /*shift*/, int x, int y) {
    const bool left = IsLeftButtonDown();
    const POINT cursor = CursorPos();
    const int threshold = Scale().Px(DragThreshold);
    if (sMouseDown && !sDragging && left &&
        (std::abs(x - mDownPoint.x) > threshold || std::abs(y - mDownPoint.y) > threshold)) {
        sDragging = true;
        // A shortcut's tooltip does not follow it, nor stay over the group that moves.
        HideLinkToolTip();
        IElementView* front = mRootView.BringToFront(mDownPoint.x, mDownPoint.y);
        if (auto* group = dynamic_cast<LinkGroupView*>(front)) {
            SaveReportingFailures([&] { mOrvexModel.MoveGroupToEnd(group->GetModel()); });
            // Now over the groups it overlaps, also when a shortcut of it is dragged.
            InvalidateElement(group, false);
        }
        const ViewDragArgs start{mDownPoint, Handle()};
        mRootView.BeginDrag(&start);
        const ViewDragArgs to{POINT{x, y}, Handle()};
        mRootView.DragTo(&to);
    }
    if (!sDragging || !left) {
        const ViewMouseArgs args{Handle(), POINT{x, y}};
        mRootView.MouseMove(&args);
    } else {
        const ViewDragArgs args{POINT{x, y}, Handle()};
        const bool handled = mRootView.DragTo(&args);
        if (!handled && y < Scale().Px(MoveBandHeight)) {
            // Dragging the empty top band moves the panel with the cursor.
            SetBounds(Left() + cursor.x - sLastCursorPos.x, Top() + cursor.y - sLastCursorPos.y, Width(), Height());
        }
    }
    sLastCursorPos = cursor;
}

void TMainForm::FormMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int x, int y) {
    TRACE_FUNCTION("TMainForm::FormMouseUp");
    LOG_USER_ACTION("TMainForm::FormMouseUp");
    // The press is over, whatever ending the drag does.
    const DragDropManager::EndScope end(mDragState);
    const bool dragging = sDragging;
    sMouseDown = false;
    sDragging = false;
    if (dragging) {
        const ViewDragArgs args{POINT{x, y}, Handle()};
        mRootView.EndDrag(&args);
        // A shortcut dragged to another place keeps its mark there.
        RefreshFilter();
    }
}

void TMainForm::FormClick() {
    TRACE_FUNCTION("TMainForm::FormClick");
    LOG_USER_ACTION("TMainForm::FormClick");
    const POINT p = ScreenToClient(CursorPos());
    const int slop = Scale().Px(ClickSlop);
    if (std::abs(mDownPoint.x - p.x) > slop || std::abs(mDownPoint.y - p.y) > slop) {
        return;
    }
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    RequestToHide.Raise(this, nullptr);
    const ViewMouseArgs args{Handle(), p};
    mRootView.Click(&args);
    SetCursor(previous != nullptr ? previous : LoadCursorW(nullptr, IDC_ARROW));
}

void TMainForm::FormContextPopup(POINT mousePos, bool& /*handled*/) {
    TRACE_FUNCTION("TMainForm::FormContextPopup");
    if (mousePos.x == -1 && mousePos.y == -1) {
        // Asked for by the keyboard: the menu of what the keyboard is on, else where the pointer is.
        if (OpenKeyFocusMenu()) {
            return;
        }
        mousePos = ScreenToClient(CursorPos());
    }
    // The views only say what is under the point: the menu and its command run after their calls
    // have returned, so a command may remove the group it was opened on.
    const ContextTarget target = mRootView.ContextTargetAt(mousePos);
    // A tooltip would stand over the menu.
    HideLinkToolTip();
    if (target.group == nullptr) {
        ShowPanelContextMenu(mousePos);
    } else if (target.link >= 0) {
        ShowLinkContextMenu(target.group, target.link, mousePos);
    } else {
        ShowGroupContextMenu(target.group, mousePos);
    }
}

void TMainForm::FormDestroy() {
    TRACE_FUNCTION("TMainForm::FormDestroy");
    // Readers holding the panel's objects get no answers from a panel that is gone.
    mAccess.Disconnect();
    // A look-up that hangs is let go: the end of the program never waits for it.
    mIcons.Stop();
    SaveIconCache();
}

void TMainForm::InvalidateElement(IElementView* view, bool /*flag*/) {
    if (Handle() != nullptr) {
        const RECT bounds = view->GetPaintBounds();
        InvalidateRect(Handle(), &bounds, FALSE);
    }
}

void TMainForm::ShowLinkToolTip(LinkGroupView* /*group*/, std::wstring& text, POINT point) {
    Application->HintWindow().ActivateHint(text, ClientToScreen(point));
}

void TMainForm::HideLinkToolTip() {
    Application->HintWindow().HideHint();
}

void TMainForm::ShowPanelContextMenu(POINT point) {
    const POINT screen = ClientToScreen(point);
    mPopupMenuOrvexView.Popup(Handle(), screen.x, screen.y);
}

void TMainForm::ShowGroupContextMenu(LinkGroupView* group, POINT point) {
    mPopupMenuLinkGroup.Tag = reinterpret_cast<intptr_t>(group);
    UpdateGroupMenuChecks(group);
    const POINT screen = ClientToScreen(point);
    mPopupMenuLinkGroup.Popup(Handle(), screen.x, screen.y);
}

void TMainForm::UpdateGroupMenuChecks(LinkGroupView* group) {
    const LinkGroupSettings& settings = group->GetModel()->GetSettings();
    mMenuItemIconStyleLarge->Checked = settings.IsLargeIcon() && !settings.IsTitleVisible();
    mMenuItemIconStyleLargeWithText->Checked = settings.IsLargeIcon() && settings.IsTitleVisible();
    mMenuItemIconStyleSmall->Checked = !settings.IsLargeIcon();
    CheckBackgroundItem(((settings.BackgroundIndex() % BackgroundCount) + BackgroundCount) % BackgroundCount);
}

void TMainForm::CheckBackgroundItem(int index) {
    for (std::size_t i = 0; i < mMenuItemGroupBackground->Count(); ++i) {
        TMenuItem& item = (*mMenuItemGroupBackground)[i];
        item.Checked = item.Tag == index;
    }
}

void TMainForm::ShowLinkContextMenu(LinkGroupView* group, int index, POINT point) {
    LinkItemModel* link = group->GetModel()->GetLinks()[index].get();
    mPopupMenuLinkItem.Tag = reinterpret_cast<intptr_t>(group);
    mMenuItemOpenFileLocation->Tag = index;
    mMenuItemOpenFileLocation->Enabled = link->TargetExists();
    mMenuItemDeleteLinkItem->Tag = index;
    mMenuItemShowToolTip->Tag = index;
    mMenuItemShowToolTip->Checked = link->IsShowingToolTip();
    mMenuItemLinkItemOpenProperties->Tag = index;
    const POINT screen = ClientToScreen(point);
    mPopupMenuLinkItem.Popup(Handle(), screen.x, screen.y);
}

void TMainForm::DecorateRect(TCanvas* canvas, RECT& body) {
    TRACE_FUNCTION("TMainForm::DecorateRect");
    const PanelDecoration::FramePictureSizes sizes{
        SizeOf(mPngTopLeft),    SizeOf(mPngTop),    SizeOf(mPngTopRight),    SizeOf(mPngLeft),      SizeOf(mPngRight),
        SizeOf(mPngBottomLeft), SizeOf(mPngBottom), SizeOf(mPngBottomRight), SizeOf(mPngReflection)};
    // The pieces lie around the body as the scale they were drawn for has them.
    const PanelDecoration::FramePieces pieces =
        PanelDecoration::FramePiecesFor(PanelDecoration::Rect{body.left, body.top, body.right, body.bottom}, sizes,
                                        Tessel::Common::DisplayScale(mPictureScale * 96 / 100));
    if (mUserSettings != nullptr && mUserSettings->GetIsDrawingReflectionEnabled()) {
        canvas->StretchDraw(ToRECT(pieces.reflection), mPngReflection);
    }
    canvas->StretchDraw(ToRECT(pieces.top), mPngTop);
    canvas->StretchDraw(ToRECT(pieces.left), mPngLeft);
    canvas->StretchDraw(ToRECT(pieces.right), mPngRight);
    canvas->StretchDraw(ToRECT(pieces.bottom), mPngBottom);
    canvas->StretchDraw(ToRECT(pieces.topLeft), mPngTopLeft);
    canvas->StretchDraw(ToRECT(pieces.topRight), mPngTopRight);
    canvas->StretchDraw(ToRECT(pieces.bottomLeft), mPngBottomLeft);
    canvas->StretchDraw(ToRECT(pieces.bottomRight), mPngBottomRight);
    canvas->SetPenStyle(TPenStyle::psClear);
    const int corner = Scale().Px(GroupGeometry::Corner);
    canvas->RoundRect(body.left, body.top, body.right, body.bottom, corner, corner);
}

void TMainForm::mBtnStickClick() {
    TRACE_FUNCTION("TMainForm::mBtnStickClick");
    LOG_USER_ACTION("TMainForm::mBtnStickClick");
    if (OnStickChanged) {
        OnStickChanged(mBtnStick.Down());
    }
}

void TMainForm::mMenuItemExitApplicationClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemExitApplicationClick");
    LOG_USER_ACTION("TMainForm::mMenuItemExitApplicationClick");
    if (OnExitApplication) {
        OnExitApplication();
    }
}

void TMainForm::SaveChangesNow() {
    TRACE_FUNCTION("TMainForm::SaveChangesNow");
    if (mOrvexModel.IsChanged()) {
        SaveReportingFailures([this] { mOrvexModel.Save(); });
    }
}

void TMainForm::mTimerSaveChangesTimer() {
    if (mOrvexModel.IsChanged()) {
        SaveReportingFailures([this] { mOrvexModel.Save(); });
    } else {
        // A save made by a command in the meantime worked.
        mSaveFailures.Saved();
    }
}

void TMainForm::SaveReportingFailures(const std::function<void()>& save) {
    try {
        save();
    } catch (const Exception& e) {
        // The model stays changed, so the save timer tries again. Only the first failure of a run
        // reaches the user, in a box shown once the current message has returned; the caller
        // goes on either way.
        if (mSaveFailures.Failed(e.Message())) {
            HandleCurrentException();
        }
        return;
    }
    if (!mOrvexModel.IsChanged()) {
        mSaveFailures.Saved();
    }
}
