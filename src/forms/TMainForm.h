#pragma once

#include "forms/GlobalHotkey.h"
#include "forms/LayoutKeeper.h"
#include "forms/PanelAccessible.h"
#include "forms/PanelDropTarget.h"
#include "forms/SaveFailureNotice.h"
#include "foundation/lang/TesselEvent.h"
#include "foundation/text/ShortcutMatcher.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "graphics/Graphic.h"
#include "model/OrvexModel.h"
#include "model/ShortcutIcons.h"
#include "views/CellNavigation.h"
#include "views/DragDropManager.h"
#include "views/LinkGroupView.h"
#include "views/OrvexView.h"
#include "weblinks/AdItem.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ConfigItems;
class ICultureManager;
class IOsSpecific;
class IUserSettings;
class TCanvas;

// The large panel of shortcut groups that slides down from the button. Its client area is drawn
// by the root view: the panel picture, the group cards and, on an empty panel, a hint; a
// translucent band along the top carries the add and auto-hide buttons and two labels. It turns
// window messages into view calls and answers the views' requests (repaints, tooltips, menus).
class TMainForm : public TForm, private PanelAccessSource {
public:
    // The seven group backgrounds, by a group's background index modulo 7.
    static constexpr int BackgroundCount = 7;
    // Height of the translucent band along the top (design pixels); a drag on empty space above
    // it moves the panel.
    static constexpr int BandHeight = 28;

    TMainForm();
    ~TMainForm() override;

    // Services lent by the edge window before the panel is first shown; none is owned.
    void SetDataFolder(const std::wstring& folder);
    void SetOsSpecific(IOsSpecific* osSpecific) { mOsSpecific = osSpecific; }
    void SetUserSettings(IUserSettings* settings) { mUserSettings = settings; }
    void SetConfigItems(ConfigItems* items) { mConfigItems = items; }
    void SetCultureManager(ICultureManager* texts) { mTexts = texts; }
    void SetAdItems(const AdItems* items) { mAdItems = items; }

    // Shows advertised link index (modulo their number) in the link label; nothing without links.
    void ShowAdInLinkLabel(int index);

    // Raised by every click on the panel; the edge window hides the panel when auto-hide is on.
    Tessel::CppLang::TesselEvent<void*, void*> RequestToHide;
    // Called with the auto-hide button's Down state when it is clicked.
    std::function<void(bool stick)> OnStickChanged;
    // Called by the exit command: the edge window closes and the application ends.
    std::function<void()> OnExitApplication;
    // Called by the hotkey: the edge window slides the panel in, or out when it is in.
    std::function<void()> OnHotkey;
    // Asked for by Esc in an empty filter box: the panel goes out of view.
    std::function<void()> OnHideRequested;
    // Registers the hotkey the settings hold, in place of the one held before. When another
    // program holds it, the log says so once.
    void ApplyHotkey();
    const GlobalHotkey& GetHotkey() const { return mHotkey; }
    // Puts the keyboard in the filter box on the band; byHotkey when the hotkey brings the panel.
    void BeginFilter(bool byHotkey);
    // Clears the filter and puts the box away: the panel shows as it did before.
    void EndFilter();
    // Whether the panel keeps its rendered picture for the next paints (see OrvexView). Kept, it
    // is made at once. The start draws its first paint straight and keeps it from then on: a
    // panel that comes into view needs the picture to be shown within a frame (drawing it anew
    // on the way in takes about 65 ms, the panel's window showing black meanwhile).
    void SetKeepsPicture(bool keeps);
    // The filter box has the keyboard on a panel the hotkey brought: turning to another program
    // does not hide it.
    bool FilterHoldsKeyboard() const;
    bool IsFiltering() const { return mFiltering; }
    std::wstring GetFilterText() const { return mFilterEdit.Text(); }
    // The selected shortcut of the filter: its group and index there; null without one.
    LinkGroupView* GetFilterSelection(int& index) const;

    // The shortcut (index >= 0) or group (index -1) the keyboard is on, whether reached by Tab,
    // the arrows or a search; null without one.
    LinkGroupView* GetKeyFocus(int& index) const;
    // Groups in the order Tab visits them and screen readers list them: by rows, then columns.
    std::vector<LinkGroupView*> GroupsInReadingOrder() const;

    // Writes the groups now when they have changes the save timer has not written yet: the
    // program is about to end (closed, or the user's session ends).
    void SaveChangesNow();
    // Export and import of the groups as one zip file (TMainFormLayouts.cpp); the reason on
    // failure, else empty.
    std::wstring ExportLayout(const std::wstring& path);
    std::wstring ImportLayout(const std::wstring& path);

    // What tests and the edge window look at.
    const std::wstring& GetLinksFolder() const { return mLinksFolder; }
    OrvexModel& GetModel() { return mOrvexModel; }
    OrvexView& GetRootView() { return mRootView; }
    ShortcutIcons& GetIcons() { return mIcons; }
    const TGraphic& GetPanelPicture() const { return mPanelPicture; }
    // The display scale the panel's pictures were drawn for (100, 150 or 200 percent).
    int GetPictureScale() const { return mPictureScale; }
    // Whether the empty panel offers to fill itself from the Desktop and the Start menu, and
    // where that offer stands (client pixels).
    bool IsOfferingFirstRunFill() const { return mLbFirstRunFill.Visible(); }
    RECT GetFirstRunOfferBounds() const { return mLbFirstRunFill.BoundsRect(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormShow() override;
    void FormPaint(HDC dc, const RECT& clip) override;
    void FormResize() override;
    void FormMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void FormMouseMove(TShiftState shift, int x, int y) override;
    void FormMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void FormClick() override;
    void FormContextPopup(POINT mousePos, bool& handled) override;
    void FormDestroy() override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FormDpiChanged() override;

private:
    struct Background {
        std::wstring caption;
        const wchar_t* resource;
        TBitmap bitmap;
    };

    // Loads the frame, band and glyph pictures drawn for the window's display scale, unless they
    // are loaded already.
    // The groups' backgrounds and the pictures of the panel's frame and band, at the scale.
    void LoadPictures();
    void LoadDecorationPictures();
    // Sizes the band's controls and fonts and the groups for the window's display scale.
    void ApplyScale();
    // A user's panel picture at the window's display scale, enlarged with a smoothing filter.
    void ScalePanelPicture();
    // The program's own panel picture, drawn for the nearest picture scale.
    void LoadBuiltInPanelPicture();
    void BuildMenus();
    void BuildBackgroundMenu();
    void ApplyCultureTexts();
    void ChooseBackgroundPicture();
    LinkGroupView* CreateGroupView(LinkGroupModel* group);
    const TBitmap& BackgroundFor(int backgroundIndex) const;
    bool OnNcMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // View callbacks.
    void InvalidateElement(IElementView* view, bool flag);
    void ShowPanelContextMenu(POINT point);
    void ShowGroupContextMenu(LinkGroupView* group, POINT point);
    void ShowLinkContextMenu(LinkGroupView* group, int index, POINT point);
    void UpdateGroupMenuChecks(LinkGroupView* group);
    void CheckBackgroundItem(int index);
    void ShowLinkToolTip(LinkGroupView* group, std::wstring& text, POINT point);
    void HideLinkToolTip();
    void DecorateRect(TCanvas* canvas, RECT& body);

    // Icons and names: from the cache at once, the rest from the worker thread.
    void StartIconLookUps();
    void RequestLooks(const std::vector<LinkItemModel*>& links);
    void TakeIconResults();
    std::vector<const LinkItemModel*> AllLinks() const;
    void SaveIconCache();

    // The keyboard filter (TMainFormFilter.cpp).
    void FilterChanged();
    bool FilterKey(WORD key);
    void SelectInDirection(CellNavigation::Direction direction);
    void RunFilterSelection();
    // Puts the keyboard focus on the search's selected match (none without one).
    void SelectFilterMatch();
    void LeaveFilterBox();
    void ApplyFilterMarks();
    void BuildFilterCandidates();
    void PlaceFilterBox();
    // Changes with the number of groups and of their shortcuts.
    std::size_t FilterSignature() const;
    // Prepares the search anew after shortcuts moved, and shows the query's marks again.
    void RefreshFilter();

    // Keyboard focus on the panel and what screen readers are told (TMainFormKeyboard.cpp).
    bool PanelKey(UINT message, WPARAM key);
    // Puts the keyboard on a shortcut (index >= 0) or a group (index -1), or nowhere (null): the
    // cell shows the selection ring, and readers hear of it.
    void SetKeyFocus(LinkGroupView* view, int index);
    void MoveKeyFocusToGroup(bool forward);
    void MoveKeyFocus(CellNavigation::Direction direction);
    void RunKeyFocus();
    bool OpenKeyFocusMenu();
    void AnnounceKeyFocus();
    void RunPendingAccessAction();
    PanelAccessSource::Place PlaceOf(const LinkGroupView* view, int index) const;
    LinkGroupView* GroupAt(int position) const;
    HWND AccessWindow() const override { return Handle(); }
    Element PanelElement() override;
    std::vector<const void*> GroupKeys() override;
    Element GroupElement(int group) override;
    int ShortcutCount(int group) override;
    Element ShortcutElement(int group, int link) override;
    int ControlCount() override;
    Element ControlElement(int control) override;
    Place FocusPlace() override;
    Place PlaceAt(POINT screen) override;
    bool DoDefaultAction(const Place& place) override;
    bool Select(const Place& place) override;
    // States of an element whose panel rectangle is rect: out of view when it is not on the
    // panel's client area or the panel is not shown.
    long ViewState(const RECT& rect) const;
    RECT ToScreen(RECT rect) const;
    static std::wstring FillText(std::wstring text, std::initializer_list<std::wstring> args);

    // Advertised links.
    void BuildAdMenu();
    void HideLinkLabelOnFirstRunDay();
    void mBtnShowAdMenuClick();
    void mLbLinkClick();
    void OnAdMenuItemClick(TMenuItem& item);

    // Commands.
    void mBtnStickClick();
    void mMenuItemExitApplicationClick();
    void mTimerSaveChangesTimer();
    // Runs an action that writes the store. A failed write is logged and told to the user only
    // when it starts a run of failures; the model stays changed for the save timer to try again.
    void SaveReportingFailures(const std::function<void()>& save);
    // Commands of the buttons, labels and menus (TMainFormCommands.cpp).
    void WireCommands();
    void mBtnAddClick();
    void mMenuItemAddNewGroupClick();
    void MenuItemChangeIconStyleClick(TMenuItem& item);
    void OnGroupBackgroundMenuItemClick(TMenuItem& item);
    void mMenuItemDeleteGroupClick();
    void mMenuItemDeleteLinkItemClick();
    void mMenuItemOpenFileLocationClick();
    void mMenuItemShowToolTipClick();
    void mMenuItemLinkItemOpenPropertiesClick();
    void mMenuItemOptionsClick();
    void mMenuItemAboutClick();
    void mLbProductNameClick();
    void mLbBottomLeftClick();
    // Snapshots, export and import of the layout (TMainFormLayouts.cpp).
    void BuildLayoutMenus(TMenuItem& panel);
    void ApplyLayoutTexts();
    void FillRestoreMenu();
    void RestoreLayoutClick(TMenuItem& item);
    void mMenuItemExportGroupsClick();
    void mMenuItemImportGroupsClick();
    std::wstring LayoutText(const wchar_t* key, const wchar_t* fallback) const;
    std::wstring Count(std::size_t count, const wchar_t* oneKey, const wchar_t* one, const wchar_t* manyKey,
                       const wchar_t* many) const;
    std::wstring ChooseZipFile(bool save);
    void ReloadGroupViews();
    bool OnLayoutRequest(LPARAM lParam, LRESULT& result);
    // Adds a new group whose view is moved by offset from where it starts.
    void AddGroupAt(POINT offset);
    // Where new groups may go, in the stored (design) units: the client area below the band, off
    // the edges.
    GroupGeometry::Rect GroupArea() const;
    // The first-run offer under the hint of an empty panel (TMainFormFirstRun.cpp): shown while
    // the store was read and holds no group, to be called whenever groups come or go.
    void UpdateFirstRunOffer();
    // Shows groups just added to the model (an import, the first-run fill): their views, their
    // icons asked for, and the store written at once.
    void ShowAddedGroups(const std::vector<LinkGroupModel*>& groups);
    void PlaceFirstRunOffer();
    void mLbFirstRunFillClick();
    void ShowOptions(bool aboutPage);
    void OpenProductPage();
    // The group view a menu was opened on, while that view still exists; null otherwise.
    LinkGroupView* MenuGroup(const TPopupMenu& menu) const;
    // The shortcut an item of the shortcut menu was prepared for; null when it is gone.
    LinkItemModel* MenuLink(LinkGroupView* group, const TMenuItem& item) const;
    // Makes sure that nothing points at a group view that is about to go.
    void ForgetGroupView(LinkGroupView* group);

    // Services lent by the edge window.
    IOsSpecific* mOsSpecific = nullptr;
    IUserSettings* mUserSettings = nullptr;
    ConfigItems* mConfigItems = nullptr;
    ICultureManager* mTexts = nullptr;
    const AdItems* mAdItems = nullptr;
    std::wstring mDataFolder;
    std::wstring mLinksFolder;

    // The shortcuts' icons and names; declared before the model, whose items hold its icons.
    ShortcutIcons mIcons;
    // Model and views. The group views belong to the panel; the root only points at them.
    OrvexModel mOrvexModel;
    DragDropManager mDragState;
    OrvexView mRootView;
    std::vector<std::unique_ptr<LinkGroupView>> mGroupViews;

    // Pictures.
    std::array<Background, BackgroundCount> mBackgrounds;
    TAlphaImage mPngTopLeft, mPngTop, mPngTopRight, mPngLeft, mPngRight, mPngBottomLeft, mPngBottom, mPngBottomRight,
        mPngReflection;
    TAlphaImage mBandOverlay;
    TBitmap mPanelPicture;
    TImageList mImageListButtons{16, 16};
    int mPictureScale = 0;
    // The user's picture file the panel shows (scaled when loaded); empty for the program's own.
    std::wstring mPanelPicturePath;

    // The keyboard filter: the box on the band, the hotkey, and what the search runs over (one
    // candidate per shortcut in panel order, its texts kept for the matcher).
    struct FilterCell {
        LinkGroupView* view;
        int index;
    };
    // The box's font outlives the box.
    Tessel::Common::UniqueFont mFilterFont;
    TEdit mFilterEdit{*this};
    GlobalHotkey mHotkey;
    bool mHotkeyRefusalLogged = false;
    bool mFiltering = false;
    bool mShownByHotkey = false;
    Tessel::Common::ShortcutMatcher mMatcher;
    std::vector<std::wstring> mFilterTexts;
    std::vector<FilterCell> mFilterCells;
    // The candidates the query matches, best first, and the selected one among them.
    std::vector<std::uint32_t> mFilterMatches;
    int mFilterSelected = -1;
    std::size_t mFilterSignature = 0;

    // Where the keyboard is on the panel (see GetKeyFocus).
    LinkGroupView* mFocusView = nullptr;
    int mFocusIndex = -1;
    // A default action a screen reader asked for, run once its call has returned.
    Place mPendingAction;
    const void* mPendingGroup = nullptr;
    static constexpr UINT AccessActionMessage = WM_APP + 0x141;
    // Posted after a first paint drawn straight: the picture is made then.
    static constexpr UINT KeepPictureMessage = WM_APP + 0x142;
    // Hands the panel's accessible objects out; they answer nothing once the panel is gone.
    PanelAccessible::Connection mAccess{*this};

    // Controls of the band and the corner.
    TSpeedButton mBtnStick{*this};
    TSpeedButton mBtnAdd{*this};
    TSpeedButton mBtnShowAdMenu{*this};
    TLabel mLbLink{*this};
    TLabel mLbProductName{*this};
    TLabel mLbBottomLeft{*this};
    TLabel mLbFirstRunFill{*this};
    // Whether the offer's state has been decided (and logged) once since the start.
    bool mFirstRunOfferDecided = false;

    // Menus; the item pointers point into the menus' trees.
    TPopupMenu mPopupMenuLinkItem;
    TMenuItem* mMenuItemOpenFileLocation = nullptr;
    TMenuItem* mMenuItemShowToolTip = nullptr;
    TMenuItem* mMenuItemLinkItemOpenProperties = nullptr;
    TMenuItem* mMenuItemDeleteLinkItem = nullptr;
    TPopupMenu mPopupMenuLinkGroup;
    TMenuItem* mMenuItemGroupIconStyle = nullptr;
    TMenuItem* mMenuItemIconStyleLarge = nullptr;
    TMenuItem* mMenuItemIconStyleLargeWithText = nullptr;
    TMenuItem* mMenuItemIconStyleSmall = nullptr;
    TMenuItem* mMenuItemGroupBackground = nullptr;
    TMenuItem* mMenuItemDeleteGroup = nullptr;
    TPopupMenu mPopupMenuOrvexView;
    TMenuItem* mMenuItemAddNewGroup = nullptr;
    TMenuItem* mMenuItemOptions = nullptr;
    TMenuItem* mMenuItemAbout = nullptr;
    TMenuItem* mMenuItemExitApplication = nullptr;
    TPopupMenu mPopupMenuAd;
    TMenuItem* mMenuItemRestoreLayout = nullptr;
    TMenuItem* mMenuItemExportGroups = nullptr;
    TMenuItem* mMenuItemImportGroups = nullptr;
    // The snapshot of each Restore Layout item, by the item's Tag.
    std::vector<std::wstring> mRestoreNames;
    LayoutKeeper mLayouts;

    TTimer mTimerSaveChanges{*this, 5000};
    SaveFailureNotice mSaveFailures;

    // The panel as a target of drags from the shell; registered in FormCreate, revoked with the window.
    PanelDropTarget mDropTarget{*this, mOsSpecific, mRootView, mDragState, mOrvexModel, mLinksFolder};
    TDropTargetRegistration mDropTargetRegistration{*this};

    // Where the last press was, and where the add button puts its next group (design pixels).
    POINT mDownPoint{0, 0};
    POINT mCascade{20, 20};
    bool mPaintedOnce = false;
    // Shortcuts whose looks are asked for before the first paint, asked for after it.
    std::vector<LinkItemModel*> mLooksAfterFirstPaint;
    bool mAllIconsShown = false;
    // Lets look-ups that hang go, while looks are pending.
    TTimer mTimerIconProgress{*this, 1000, false};

    // The mouse state of the one panel of the process.
    static bool sMouseDown;
    static bool sDragging;
    static POINT sLastCursorPos;
};
