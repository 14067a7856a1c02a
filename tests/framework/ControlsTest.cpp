#include "support/PaintSurface.h"
#include "support/PumpMessages.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/HintWindow.h"
#include "framework/ImageList.h"
#include "graphics/Canvas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using TestSupport::PaintSurface;

namespace {

std::string Point(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

// A form that notes the mouse events it gets, and paints itself in one colour.
class RoutingForm : public TForm {
public:
    explicit RoutingForm(std::vector<std::string>& journal) : mJournal(journal) {}

    COLORREF background = RGB(0, 0, 255);

protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.x = 10;
        params.y = 10;
        params.width = 200;
        params.height = 100;
        params.windowClassName = L"TRoutingForm";
    }
    void FormPaint(HDC dc, const RECT& clip) override {
        TCanvas canvas(dc);
        canvas.SetBrushColor(background);
        canvas.FillRect(clip);
    }
    void FormMouseDown(TMouseButton, TShiftState, int x, int y) override { Note("form.down " + Point(x, y)); }
    void FormMouseMove(TShiftState, int x, int y) override { Note("form.move " + Point(x, y)); }
    void FormMouseUp(TMouseButton, TShiftState, int x, int y) override { Note("form.up " + Point(x, y)); }
    void FormClick() override { Note("form.click"); }
    void FormContextPopup(POINT, bool&) override { Note("form.contextpopup"); }

private:
    void Note(const std::string& what) { mJournal.push_back(what); }
    std::vector<std::string>& mJournal;
};

// A control that notes what reaches it.
class JournalControl : public TGraphicControl {
public:
    JournalControl(TForm& form, std::vector<std::string>& journal, std::string name, RECT bounds)
        : TGraphicControl(form), mJournal(journal), mName(std::move(name)) {
        SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
        OnClick = [this] { Note("click"); };
    }

protected:
    void MouseEnter() override { Note("enter"); }
    void MouseLeave() override { Note("leave"); }
    void MouseDown(TMouseButton, TShiftState, int x, int y) override { Note("down " + Point(x, y)); }
    void MouseMove(TShiftState, int x, int y) override { Note("move " + Point(x, y)); }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override { Note("up " + Point(x, y)); }

private:
    void Note(const std::string& what) { mJournal.push_back(mName + "." + what); }
    std::vector<std::string>& mJournal;
    std::string mName;
};

void Send(TForm& form, UINT message, WPARAM keys, int x, int y) {
    SendMessageW(form.Handle(), message, keys, MAKELPARAM(x, y));
}

// Left press at one point and release at another.
void LeftClick(TForm& form, int x, int y, int releaseX, int releaseY) {
    Send(form, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Send(form, WM_LBUTTONUP, 0, releaseX, releaseY);
}

// An application with one form, made for each test and gone after it.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        application.Initialize();
        form = application.CreateForm<RoutingForm>(journal);
    }

    template <typename Done> bool PumpUntil(Done done) { return TestSupport::PumpUntil(application, done); }

    // The form's client area as painted now, controls included.
    std::unique_ptr<PaintSurface> Snapshot() {
        auto surface = std::make_unique<PaintSurface>(form->ClientWidth(), form->ClientHeight());
        SendMessageW(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface->Dc()), PRF_CLIENT);
        return surface;
    }

    std::vector<std::string> journal;
    TApplication application;
    RoutingForm* form = nullptr;
};

} // namespace

TEST_F(ControlsTest, InputOverAControlGoesToItAndNeverToTheForm) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    Send(*form, WM_MOUSEMOVE, 0, 20, 20);
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    Send(*form, WM_MOUSEMOVE, MK_LBUTTON, 25, 22);
    Send(*form, WM_LBUTTONUP, 0, 25, 22);
    Send(*form, WM_MOUSEMOVE, 0, 100, 80);
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 100, 80);
    // A press that began on the form stays the form's, also over the control.
    Send(*form, WM_MOUSEMOVE, MK_LBUTTON, 20, 20);
    Send(*form, WM_LBUTTONUP, 0, 20, 20);
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.move 20,20", "a.down 20,20", "a.move 25,22", "a.click", "a.up 25,22",
                                     "a.leave", "form.move 100,80", "form.down 100,80", "form.move 20,20", "form.click",
                                     "form.up 20,20", "a.enter"));
}

TEST_F(ControlsTest, ClickNeedsTheReleaseOverTheSameControl) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    JournalControl b(*form, journal, "b", RECT{60, 10, 100, 30});
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    // While a holds the press, b is not entered and the form hears nothing.
    Send(*form, WM_MOUSEMOVE, MK_LBUTTON, 70, 20);
    Send(*form, WM_LBUTTONUP, 0, 70, 20);
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.down 20,20", "a.leave", "a.move 70,20", "a.up 70,20", "b.enter"));
    EXPECT_FALSE(a.Pressed());

    journal.clear();
    // Dragged off and back on: still a click.
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 70, 20);
    Send(*form, WM_MOUSEMOVE, MK_LBUTTON, 150, 20);
    Send(*form, WM_MOUSEMOVE, MK_LBUTTON, 65, 25);
    Send(*form, WM_LBUTTONUP, 0, 65, 25);
    EXPECT_THAT(journal, ElementsAre("b.down 70,20", "b.leave", "b.move 150,20", "b.enter", "b.move 65,25", "b.click",
                                     "b.up 65,25"));
}

TEST_F(ControlsTest, HiddenAndDisabledControlsLetTheInputThrough) {
    JournalControl bottom(*form, journal, "bottom", RECT{10, 10, 60, 40});
    JournalControl top(*form, journal, "top", RECT{20, 20, 50, 30});
    struct Case {
        bool topVisible, topEnabled, bottomVisible, bottomEnabled;
        const char* receiver;
    };
    const Case cases[] = {
        {true, true, true, true, "top"},    {false, true, true, true, "bottom"}, {true, false, true, true, "bottom"},
        {false, true, false, true, "form"}, {true, false, true, false, "form"},
    };
    for (const Case& c : cases) {
        top.SetVisible(c.topVisible);
        top.SetEnabled(c.topEnabled);
        bottom.SetVisible(c.bottomVisible);
        bottom.SetEnabled(c.bottomEnabled);
        journal.clear();
        LeftClick(*form, 30, 25, 30, 25);
        const std::string receiver = c.receiver;
        if (receiver == "form") {
            EXPECT_THAT(journal, ElementsAre("form.down 30,25", "form.click", "form.up 30,25"));
        } else {
            EXPECT_THAT(journal, ElementsAre(receiver + ".enter", receiver + ".down 30,25", receiver + ".click",
                                             receiver + ".up 30,25"));
        }
        Send(*form, WM_MOUSELEAVE, 0, 0, 0);
    }
}

TEST_F(ControlsTest, AControlHiddenOrCapturedAwayDuringItsPressIsNotClicked) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    a.SetVisible(false);
    Send(*form, WM_LBUTTONUP, 0, 20, 20);
    // The rest of the press goes nowhere: not to the hidden control, not to the form.
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.down 20,20", "a.leave"));

    a.SetVisible(true);
    journal.clear();
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    ASSERT_TRUE(a.Pressed());
    // A menu or a move loop takes the mouse.
    ReleaseCapture();
    EXPECT_FALSE(a.Pressed());
    Send(*form, WM_MOUSEMOVE, 0, 30, 20);
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.down 20,20", "a.move 30,20"));
}

TEST_F(ControlsTest, LeavingTheFormLeavesTheControl) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    Send(*form, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_TRUE(a.MouseInControl());
    Send(*form, WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_FALSE(a.MouseInControl());
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.move 20,20", "a.leave"));
}

TEST_F(ControlsTest, ARightClickOnAControlOpensNoFormContextMenu) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    // The default handling of the release asks for the context menu.
    const auto rightClick = [&](int x, int y) {
        Send(*form, WM_RBUTTONDOWN, MK_RBUTTON, x, y);
        Send(*form, WM_RBUTTONUP, 0, x, y);
    };
    rightClick(20, 20);
    rightClick(150, 50);
    EXPECT_THAT(journal, ElementsAre("a.enter", "a.down 20,20", "a.up 20,20", "a.leave", "form.down 150,50",
                                     "form.up 150,50", "form.contextpopup"));
}

TEST_F(ControlsTest, AControlShowsItsCursorAndOtherwiseTheFormKeepsItsOwn) {
    JournalControl a(*form, journal, "a", RECT{0, 0, 200, 100});
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    a.SetCursor(hand);
    const auto setCursor = [&] {
        return SendMessageW(form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    const POINT inside = form->ClientToScreen(POINT{100, 50});
    SetCursorPos(inside.x, inside.y);
    SetCursor(nullptr);
    EXPECT_TRUE(setCursor());
    EXPECT_EQ(GetCursor(), hand);
    a.SetCursor(nullptr);
    SetCursor(nullptr);
    setCursor();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW)) << "the class cursor";
}

TEST_F(ControlsTest, AHintShowsAfterARestAndGoesOnPressAndOnLeave) {
    JournalControl a(*form, journal, "a", RECT{10, 10, 50, 30});
    a.SetHint(L"Add a new group");
    form->Show();
    // The real pointer rests on the control too, so that the system's own mouse messages agree.
    const POINT onControl = form->ClientToScreen(POINT{20, 20});
    const POINT away = form->ClientToScreen(POINT{600, 600});
    SetCursorPos(onControl.x, onControl.y);
    THintWindow& hint = application.HintWindow();
    Send(*form, WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_FALSE(hint.Visible()) << "not at once";
    ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }));
    EXPECT_EQ(hint.Text(), L"Add a new group");
    Send(*form, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    EXPECT_FALSE(hint.Visible());
    Send(*form, WM_LBUTTONUP, 0, 20, 20);

    Send(*form, WM_MOUSEMOVE, 0, 100, 80);
    Send(*form, WM_MOUSEMOVE, 0, 20, 20);
    ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }));
    SetCursorPos(away.x, away.y);
    Send(*form, WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_FALSE(hint.Visible());

    // A hint that someone else shows now is not this form's to hide.
    SetCursorPos(onControl.x, onControl.y);
    Send(*form, WM_MOUSEMOVE, 0, 20, 20);
    ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }));
    hint.ActivateHint(L"A shortcut's tooltip", POINT{300, 300});
    Send(*form, WM_MOUSEMOVE, 0, 100, 80);
    EXPECT_TRUE(hint.Visible());
    hint.HideHint();
}

// ---------------------------------------------------------------------------------------------
// Speed buttons

TEST_F(ControlsTest, SpeedButtonGroupsKeepAtMostOneDown) {
    TSpeedButton plain(*form), first(*form), second(*form), toggle(*form);
    plain.SetBounds(0, 0, 20, 20);
    first.SetBounds(20, 0, 20, 20);
    second.SetBounds(40, 0, 20, 20);
    toggle.SetBounds(60, 0, 20, 20);
    first.GroupIndex = second.GroupIndex = 1;
    toggle.GroupIndex = 10;
    toggle.AllowAllUp = true;
    std::vector<std::string> clicks;
    const auto watch = [&](TSpeedButton& button, const char* name) {
        button.OnClick = [&clicks, &button, name] {
            clicks.push_back(name + std::string(button.Down() ? " down" : " up"));
        };
    };
    watch(plain, "plain");
    watch(first, "first");
    watch(second, "second");
    watch(toggle, "toggle");

    LeftClick(*form, 10, 10, 10, 10);
    LeftClick(*form, 30, 10, 30, 10);
    LeftClick(*form, 30, 10, 30, 10);
    LeftClick(*form, 50, 10, 50, 10);
    LeftClick(*form, 70, 10, 70, 10);
    LeftClick(*form, 70, 10, 70, 10);
    EXPECT_THAT(clicks, ElementsAre("plain up", "first down", "first down", "second down", "toggle down", "toggle up"));
    EXPECT_FALSE(first.Down());
    EXPECT_TRUE(second.Down());

    // A group that may not be all up keeps its button down until another goes down.
    second.SetDown(false);
    EXPECT_TRUE(second.Down());
    first.SetDown(true);
    EXPECT_TRUE(first.Down());
    EXPECT_FALSE(second.Down());
    plain.SetDown(true);
    EXPECT_FALSE(plain.Down()) << "no group, never down";
    toggle.SetDown(true);
    EXPECT_TRUE(first.Down()) << "another group is left alone";
}

// ---------------------------------------------------------------------------------------------
// Painting

namespace {

bool IsLighter(std::uint32_t pixel, std::uint32_t than) {
    for (int shift = 0; shift <= 16; shift += 8) {
        if (((pixel >> shift) & 0xFF) < ((than >> shift) & 0xFF)) {
            return false;
        }
    }
    return pixel != than;
}

bool IsDarker(std::uint32_t pixel, std::uint32_t than) {
    return pixel != than && IsLighter(than, pixel);
}

} // namespace

TEST_F(ControlsTest, ALabelDrawsItsTextSeeThroughAndFitsItsCaption) {
    TLabel label(*form);
    label.SetLeft(10);
    label.SetTop(10);
    label.SetFontName(L"Verdana");
    label.SetFontHeight(16);
    label.SetFontBold(true);
    label.SetFontColor(RGB(255, 255, 255));
    label.SetCaption(L"WWWW");
    const int width = label.Width();
    EXPECT_GT(width, 30);
    EXPECT_GE(label.Height(), 16);
    EXPECT_LE(label.Height(), 26);

    const auto surface = Snapshot();
    int white = 0, blue = 0;
    for (int y = label.Top(); y < label.Top() + label.Height(); ++y) {
        for (int x = label.Left(); x < label.Left() + width; ++x) {
            const std::uint32_t p = surface->Pixel(x, y);
            white += p == 0xFFFFFF;
            blue += p == 0x0000FF;
        }
    }
    EXPECT_GT(white, 40) << "the text";
    EXPECT_GT(blue, width * label.Height() / 3) << "the form shows through around it";
    for (int x = 0; x < form->ClientWidth(); ++x) {
        ASSERT_EQ(surface->Pixel(x, label.Top() + label.Height() + 1), 0x0000FFu) << "nothing below the label";
    }

    label.SetCaption(L"WWWWWWWW");
    EXPECT_GT(label.Width(), width + width / 2);
    label.SetFontHeight(30);
    EXPECT_GE(label.Height(), 30);
    label.SetAutoSize(false);
    label.SetBounds(10, 10, 20, 12);
    EXPECT_EQ(label.Width(), 20);
    EXPECT_EQ(label.Height(), 12);
}

TEST_F(ControlsTest, AFlatButtonShowsOnlyItsGlyphAtRestAndBlendsItsHighlights) {
    TBitmap glyph(8, 8, RGB(255, 0, 0));
    TSpeedButton button(*form);
    button.SetBounds(40, 10, 24, 24);
    button.SetGlyph(&glyph);
    button.GroupIndex = 1;
    button.AllowAllUp = true;
    const int centreX = 40 + 12, centreY = 10 + 12;
    // Inside the button, clear of the glyph and of the rounded corners.
    const int sideX = 40 + 4, sideY = 10 + 12;

    for (const COLORREF background : {RGB(0, 0, 255), RGB(60, 60, 60)}) {
        SCOPED_TRACE(background);
        form->background = background;
        const std::uint32_t plain = PixelOf(background);
        button.SetDown(false);
        Send(*form, WM_MOUSELEAVE, 0, 0, 0);
        auto rest = Snapshot();
        EXPECT_EQ(rest->Pixel(centreX, centreY), 0xFF0000u);
        EXPECT_EQ(rest->Pixel(sideX, sideY), plain) << "nothing but the glyph at rest";
        EXPECT_EQ(rest->Pixel(centreX - 5, centreY), plain) << "the glyph is centred at its size";

        Send(*form, WM_MOUSEMOVE, 0, centreX, centreY);
        auto hot = Snapshot();
        EXPECT_TRUE(IsLighter(hot->Pixel(sideX, sideY), plain)) << std::hex << hot->Pixel(sideX, sideY);
        EXPECT_NE(hot->Pixel(sideX, sideY), 0xFFFFFFu) << "blended, not painted over";
        EXPECT_EQ(hot->Pixel(40, 10), plain) << "rounded corners";
        EXPECT_EQ(hot->Pixel(38, 20), plain) << "nothing outside the button";

        button.SetDown(true);
        Send(*form, WM_MOUSELEAVE, 0, 0, 0);
        auto down = Snapshot();
        EXPECT_TRUE(IsDarker(down->Pixel(sideX, sideY), plain)) << std::hex << down->Pixel(sideX, sideY);
        EXPECT_EQ(down->Pixel(centreX + 1, centreY + 1), 0xFF0000u);
    }

    button.SetDown(false);
    button.SetEnabled(false);
    auto disabled = Snapshot();
    const std::uint32_t faded = disabled->Pixel(centreX, centreY);
    EXPECT_NE(faded, 0xFF0000u);
    EXPECT_NE(faded, PixelOf(form->background)) << "faded, not gone";
}

TEST_F(ControlsTest, AFlatButtonShrinksALargerGlyphToFitAndShowsTheDownGlyphWhileDown) {
    TBitmap up(32, 32, RGB(255, 0, 0));
    TBitmap downGlyph(8, 8, RGB(0, 255, 0));
    TSpeedButton button(*form);
    button.SetBounds(40, 10, 23, 24);
    button.GroupIndex = 3;
    button.SetGlyph(&up, &downGlyph);
    auto surface = Snapshot();
    EXPECT_EQ(surface->Pixel(41, 21), 0xFF0000u) << "shrunk to the inside of the button";
    EXPECT_EQ(surface->Pixel(40, 21), 0x0000FFu) << "and no farther";
    EXPECT_EQ(surface->Pixel(62, 21), 0x0000FFu);
    EXPECT_EQ(surface->Pixel(51, 10), 0x0000FFu);

    button.SetDown(true);
    surface = Snapshot();
    EXPECT_EQ(surface->Pixel(52, 23), 0x00FF00u);
}

TEST_F(ControlsTest, PaintingReachesOnlyControlsThatMeetTheUpdateRectangle) {
    class CountingControl : public TGraphicControl {
    public:
        using TGraphicControl::TGraphicControl;
        int paints = 0;

    protected:
        void Paint(TCanvas& canvas) override {
            ++paints;
            // Drawing everywhere: only the control's bounds may change.
            canvas.SetBrushColor(RGB(0, 255, 0));
            canvas.FillRect(RECT{0, 0, 1000, 1000});
        }
    };
    CountingControl left(*form), right(*form);
    left.SetBounds(0, 0, 20, 20);
    right.SetBounds(100, 0, 20, 20);
    PaintSurface surface(200, 100);
    SendMessageW(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc()), PRF_CLIENT);
    EXPECT_EQ(left.paints, 1);
    EXPECT_EQ(right.paints, 1);
    EXPECT_EQ(surface.Pixel(19, 19), 0x00FF00u);
    EXPECT_EQ(surface.Pixel(20, 20), 0x0000FFu) << "clipped to the bounds";

    form->Show();
    form->SetDoubleBuffered(true);
    UpdateWindow(form->Handle());
    const RECT leftOnly{0, 0, 30, 30};
    InvalidateRect(form->Handle(), &leftOnly, FALSE);
    UpdateWindow(form->Handle());
    EXPECT_EQ(left.paints, 3);
    EXPECT_EQ(right.paints, 2);
}
