#include "support/LogCapture.h"
#include "support/ShellTest.h"
#include "support/TempFolder.h"
#include "support/TestDataObject.h"

#include "forms/PanelDropTarget.h"
#include "foundation/lang/Exception.h"
#include "framework/Form.h"
#include "model/LinkItemModel.h"
#include "model/OrvexModel.h"
#include "views/DragDropManager.h"
#include "views/LinkGroupView.h"
#include "views/OrvexView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using TestSupport::DropFilesBlock;
using TestSupport::IdListArrayBlock;
using TestSupport::ListFolder;
using TestSupport::LogCapture;
using TestSupport::ShellIdListFormat;
using TestSupport::TempFolder;
using TestSupport::TestDataObject;
using TestSupport::WriteFileBytes;

namespace {

// Where the test panel's client area lies on the screen.
constexpr POINT Origin{100, 50};

class TestPanelForm : public TForm {
protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.x = Origin.x;
        params.y = Origin.y;
        params.width = 1000;
        params.height = 700;
        params.windowClassName = L"TTestPanelForm";
    }
};

// The panel's parts as the main window puts them together, with two groups: "A" at (40, 48) with
// three shortcuts and "B" at (500, 48) with two, five columns each. Its window is never shown.
struct Panel {
    Panel() {
        form.AfterConstruction();
        linksFolder = links.Path();
        model.SetDataFolder(linksFolder);
        AddGroup(L"A", 40, 48, 3);
        AddGroup(L"B", 500, 48, 2);
        root.SetDragDropManager(&dragState);
        root.SetBounds(RECT{0, 0, 1000, 700});
        root.UpdateLayout();
        // Saved once, so that only what a drop changes sets the changed flag.
        model.Save();
        before = ListFolder(linksFolder);
    }
    ~Panel() { form.Destroy(); }

    void AddGroup(const std::wstring& name, int x, int y, int count) {
        LinkGroupModel* group = model.AddGroup(x, y);
        group->GetSettings().SetColumn(5);
        group->GetSettings().SetIsLargeIcon(true);
        for (int i = 0; i < count; ++i) {
            const std::wstring file = L"zzz" + name + std::to_wstring(i) + L".lnk";
            group->AppendLink(file, linksFolder + L"\\" + file);
        }
        auto view = std::make_unique<LinkGroupView>();
        view->SetModel(group);
        view->ReloadFromModel();
        view->SetDragDropManager(&dragState);
        view->IsLeftButtonDown = [] { return true; };
        root.AddChild(view.get());
        views.push_back(std::move(view));
    }

    LinkGroupView& Group(int index) { return *views[index]; }

    // The file names of a group's shortcuts, in order.
    std::vector<std::wstring> Names(int index) {
        std::vector<std::wstring> names;
        for (const auto& link : Group(index).GetModel()->GetLinks()) {
            names.push_back(link->FileName());
        }
        return names;
    }

    // The files the drop added to the links folder.
    std::vector<std::wstring> NewFiles() {
        std::vector<std::wstring> added;
        for (const std::wstring& name : ListFolder(linksFolder)) {
            if (std::find(before.begin(), before.end(), name) == before.end()) {
                added.push_back(name);
            }
        }
        return added;
    }

    static POINTL Screen(POINT client) { return POINTL{client.x + Origin.x, client.y + Origin.y}; }

    // A whole drag from the shell: in, over the point, and dropped there; returns the effect.
    DWORD DragAndDrop(IDataObject* data, POINT client) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
        EXPECT_EQ(target.DragEnter(data, MK_LBUTTON, Screen(POINT{client.x, 5}), &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
        EXPECT_EQ(target.DragOver(MK_LBUTTON, Screen(client), &effect), S_OK);
        effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
        EXPECT_EQ(target.Drop(data, 0, Screen(client), &effect), S_OK);
        return effect;
    }

    TempFolder links;
    std::wstring linksFolder;
    TestPanelForm form;
    OrvexModel model;
    DragDropManager dragState;
    OrvexView root;
    std::vector<std::unique_ptr<LinkGroupView>> views;
    IOsSpecific* services = nullptr;
    PanelDropTarget target{form, services, root, dragState, model, linksFolder};
    std::vector<std::wstring> before;
};

class PanelDropTargetTest : public TestSupport::ShellTest {
protected:
    static bool SameFile(const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
    }

    static POINT InCell(LinkGroupView& group, int index, int side) {
        const RECT cell = group.GetCellRect(index);
        return POINT{side == 0 ? cell.left + 2 : cell.right - 2, (cell.top + cell.bottom) / 2};
    }
};

} // namespace

TEST_F(PanelDropTargetTest, ThreeDroppedFilesAddOneShortcutForTheFirst) {
    LogCapture log;
    Panel panel;
    const std::wstring first = MakeFile(L"one.txt");
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({first, MakeFile(L"two.txt"), MakeFile(L"three.txt")}));

    EXPECT_EQ(panel.DragAndDrop(&data, InCell(panel.Group(0), 2, 1)), static_cast<DWORD>(DROPEFFECT_LINK));

    const std::vector<std::wstring> added = panel.NewFiles();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_TRUE(std::regex_match(added[0], std::wregex(L"zzz[0-9A-Fa-f]+\\.lnk")));
    EXPECT_EQ(panel.Names(0), (std::vector<std::wstring>{L"zzzA0.lnk", L"zzzA1.lnk", L"zzzA2.lnk", added[0]}));
    EXPECT_EQ(panel.Names(1).size(), 2u);
    EXPECT_TRUE(SameFile(LinkItemModel::GetTargetPath(panel.links / added[0]), first));
    EXPECT_TRUE(panel.model.IsChanged());
    EXPECT_FALSE(panel.dragState.IsDragging()) << "the drop ends the drag and lets go of the data object";
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"Added " + added[0] + L" for " + first), std::wstring::npos);
}

TEST_F(PanelDropTargetTest, ShellItemsAloneMakeTheShortcutFromTheIdList) {
    Panel panel;
    // The control panel, which has no file of its own.
    PIDLIST_ABSOLUTE item = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &item)));
    PIDLIST_ABSOLUTE parent = ILClone(item);
    ILRemoveLastID(parent);
    TestDataObject data;
    data.Offer(ShellIdListFormat(), IdListArrayBlock(parent, {ILFindLastID(item)}));

    panel.DragAndDrop(&data, InCell(panel.Group(1), 0, 0));

    const std::vector<std::wstring> added = panel.NewFiles();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(panel.Names(1), (std::vector<std::wstring>{added[0], L"zzzB0.lnk", L"zzzB1.lnk"}));
    PIDLIST_ABSOLUTE target = nullptr;
    ASSERT_TRUE(SUCCEEDED(LinkItemModel::GetTargetIdList(panel.links / added[0], &target)));
    EXPECT_TRUE(ILIsEqual(target, item));
    CoTaskMemFree(target);
    CoTaskMemFree(parent);
    CoTaskMemFree(item);
}

TEST_F(PanelDropTargetTest, ADropWithNeitherFilesNorShellItemsAddsNothingAndSaysWhy) {
    LogCapture log;
    Panel panel;
    TestDataObject data;
    data.Offer(CF_UNICODETEXT, {'h', 0, 'i', 0, 0, 0});

    panel.DragAndDrop(&data, InCell(panel.Group(0), 0, 0));

    EXPECT_EQ(panel.NewFiles(), std::vector<std::wstring>{}) << "no empty or broken shortcut file is left";
    EXPECT_EQ(panel.Names(0).size(), 3u);
    EXPECT_FALSE(panel.model.IsChanged());
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"Nothing added for the drop: no files"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"no shell items"), std::wstring::npos) << text;
}

TEST_F(PanelDropTargetTest, ADropLandsWhereTheGroupLayoutSays) {
    const std::wstring file = MakeFile(L"one.txt");
    const struct {
        const char* name;
        int cell; // -1: the body space after the last cell
        int side;
        std::size_t index;
    } cases[] = {
        {"left half of the first shortcut", 0, 0, 0},
        {"right half of the first shortcut", 0, 1, 1},
        {"left half of the second shortcut", 1, 0, 1},
        {"right half of the last shortcut", 2, 1, 3},
        {"empty body space", -1, 0, 3},
    };
    for (const auto& c : cases) {
        Panel panel;
        LinkGroupView& group = panel.Group(0);
        POINT at = c.cell >= 0 ? InCell(group, c.cell, c.side) : InCell(group, 2, 1);
        if (c.cell < 0) {
            at.x = group.GetBodyRect().right - 10;
            int side = 0;
            ASSERT_EQ(group.GetLinkIndexByPos(at, side), 3) << "body space after the cells";
        }
        TestDataObject data;
        data.Offer(CF_HDROP, DropFilesBlock({file}));
        panel.DragAndDrop(&data, at);
        const std::vector<std::wstring> added = panel.NewFiles();
        ASSERT_EQ(added.size(), 1u) << c.name;
        const std::vector<std::wstring> names = panel.Names(0);
        ASSERT_EQ(names.size(), 4u) << c.name;
        EXPECT_EQ(names[c.index], added[0]) << c.name;
    }
}

TEST_F(PanelDropTargetTest, ADropOnEmptyPanelSpaceLeavesNoFileBehind) {
    LogCapture log;
    Panel panel;
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({MakeFile(L"one.txt")}));

    panel.DragAndDrop(&data, POINT{900, 600});

    EXPECT_EQ(panel.NewFiles(), std::vector<std::wstring>{});
    EXPECT_EQ(panel.Names(0).size(), 3u);
    EXPECT_EQ(panel.Names(1).size(), 2u);
    EXPECT_FALSE(panel.model.IsChanged());
    EXPECT_NE(log.Text().find(L"Dropped on no group at 900,600: nothing added"), std::wstring::npos);
}

TEST_F(PanelDropTargetTest, TheGroupUnderTheDragShowsWhereTheShortcutWouldGoUntilTheDragLeaves) {
    Panel panel;
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({MakeFile(L"one.txt")}));
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(panel.target.DragEnter(&data, MK_LBUTTON, Panel::Screen(POINT{900, 600}), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(panel.dragState.GetDragType(), DragTypeShellItem);
    ASSERT_NE(panel.dragState.Get<ShellDrag>(), nullptr);
    EXPECT_EQ(panel.dragState.Get<ShellDrag>()->data.Get(), static_cast<IDataObject*>(&data));
    EXPECT_EQ(data.RefCount(), 2) << "the drag holds the data object while it lasts";

    panel.target.DragOver(MK_LBUTTON, Panel::Screen(InCell(panel.Group(1), 1, 0)), &effect);
    EXPECT_EQ(panel.root.GetHoverChild(), &panel.Group(1));
    EXPECT_EQ(panel.Group(1).GetHoverIndex(), 1);
    EXPECT_EQ(panel.Group(1).GetHoverSide(), 0);
    panel.target.DragOver(MK_LBUTTON, Panel::Screen(InCell(panel.Group(0), 2, 1)), &effect);
    EXPECT_EQ(panel.root.GetHoverChild(), &panel.Group(0));
    EXPECT_EQ(panel.Group(1).GetHoverIndex(), LinkGroupView::HoverNone);
    EXPECT_EQ(panel.Group(0).GetHoverIndex(), 2);
    EXPECT_EQ(panel.Group(0).GetHoverSide(), 1);

    ASSERT_EQ(panel.target.DragLeave(), S_OK);
    EXPECT_FALSE(panel.dragState.IsDragging());
    EXPECT_EQ(panel.dragState.GetDragType(), "");
    EXPECT_EQ(data.RefCount(), 1) << "and lets go of it when the drag leaves";
    EXPECT_EQ(panel.Group(0).GetHoverIndex(), LinkGroupView::HoverNone) << "no insertion bar is left behind";
    EXPECT_EQ(panel.NewFiles(), std::vector<std::wstring>{});
    EXPECT_EQ(data.GetDataCalls(), 0) << "what a drag brings is looked at only when it is dropped";
}

TEST_F(PanelDropTargetTest, TheFaceAnswersOnlyAsADropTargetAndItsCountNeverEndsTheWindow) {
    Panel panel;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(panel.target.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    IDropTarget* target = nullptr;
    ASSERT_EQ(panel.target.QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&target)), S_OK);
    EXPECT_EQ(target, static_cast<IDropTarget*>(&panel.target));
    IDataObject* data = reinterpret_cast<IDataObject*>(&panel);
    EXPECT_EQ(panel.target.QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)), E_NOINTERFACE);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_TRUE(IsWindow(panel.form.Handle()));

    // Registered, OLE holds the face until the window goes, and lets go of it before.
    TDropTargetRegistration registration(panel.form);
    ASSERT_EQ(panel.target.Register(registration), S_OK);
    EXPECT_GE(panel.target.RefCount(), 1);
    const HWND window = panel.form.Handle();
    panel.form.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(registration.Registered());
    EXPECT_EQ(panel.target.RefCount(), 0);
}

TEST_F(PanelDropTargetTest, TheButtonOpensThePanelOnADragAndTakesNoDrop) {
    TestPanelForm button;
    button.AfterConstruction();
    IOsSpecific* services = nullptr;
    EdgeDropTarget target(button, services);
    int entered = 0;
    target.OnDragEnter = [&] { ++entered; };
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({MakeFile(L"one.txt")}));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(target.DragEnter(&data, MK_LBUTTON, POINTL{120, 60}, &effect), S_OK);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(target.DragOver(MK_LBUTTON, POINTL{130, 60}, &effect), S_OK);
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(target.Drop(&data, 0, POINTL{130, 60}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(data.GetDataCalls(), 0) << "nothing is read, nothing is added";
    button.Destroy();
}

TEST_F(PanelDropTargetTest, ADropWhoseHandlingFailsLeavesNoDragAndTheNextDropWorks) {
    LogCapture log;
    Panel panel;
    LinkGroupModel& group = *panel.Group(0).GetModel();
    group.OnLinksChanged = [] { throw Exception(L"The group cannot take the shortcut"); };
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({MakeFile(L"one.txt")}));
    DWORD effect = DROPEFFECT_LINK;
    ASSERT_EQ(panel.target.DragEnter(&data, MK_LBUTTON, Panel::Screen(InCell(panel.Group(0), 0, 0)), &effect), S_OK);
    EXPECT_EQ(panel.target.Drop(&data, 0, Panel::Screen(InCell(panel.Group(0), 0, 0)), &effect), E_UNEXPECTED);
    EXPECT_FALSE(panel.dragState.IsDragging());
    EXPECT_EQ(data.RefCount(), 1) << "the data object is let go";
    EXPECT_NE(log.Text().find(L"The group cannot take the shortcut"), std::wstring::npos) << log.Text();

    group.OnLinksChanged = [&] { panel.model.SetChanged(); };
    const std::size_t before = group.GetLinks().size();
    TestDataObject next;
    next.Offer(CF_HDROP, DropFilesBlock({MakeFile(L"two.txt")}));
    panel.DragAndDrop(&next, InCell(panel.Group(1), 0, 0));
    EXPECT_EQ(panel.Names(1).size(), 3u) << "the next drop lands";
    EXPECT_EQ(group.GetLinks().size(), before);
    EXPECT_FALSE(panel.dragState.IsDragging());
}
