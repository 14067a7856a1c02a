#include "forms/PanelDecoration.h"
#include "forms/SaveFailureNotice.h"
#include "forms/SlideAnimationManager.h"
#include "forms/WindowPlacement.h"
#include "support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using ::testing::ElementsAre;
namespace D = PanelDecoration;

namespace {

struct FakeWindow : ISlideWindow {
    FakeWindow(int top, int height) : top(top), height(height) {}
    int Top() const override { return top; }
    int Height() const override { return height; }
    void SetTop(int t) override { top = t; }
    void SetEnabled(bool e) override { enabled = e; }
    int top;
    int height;
    bool enabled = true;
};

// Steps until a motion ends; the tops after each step.
std::vector<int> RunMotion(SlideAnimationManager& slide, FakeWindow& panel) {
    std::vector<int> tops;
    for (int guard = 0; guard < 100; ++guard) {
        const bool ended = slide.Step();
        tops.push_back(panel.top);
        if (ended) {
            break;
        }
    }
    return tops;
}

} // namespace

TEST(SlideAnimation, HidesInStepsOf200AndShowsInStepsOf800) {
    FakeWindow button(5 - 77, 77);  // 5 px of the button in view
    FakeWindow panel(5, 600);
    SlideAnimationManager slide;
    slide.mAnchor = &button;
    slide.mPanel = &panel;
    EXPECT_THAT(RunMotion(slide, panel), ElementsAre(-195, -395, -595, -610));
    EXPECT_EQ(slide.mState, SlideAnimationManager::Hidden);
    EXPECT_FALSE(panel.enabled) << "a panel that took several steps out of view ignores input";
    EXPECT_THAT(RunMotion(slide, panel), ElementsAre(5));
    EXPECT_EQ(slide.mState, SlideAnimationManager::Shown);
    EXPECT_TRUE(panel.enabled);
}

TEST(SlideAnimation, RemainingDistancesOfExactlyOneStepTakeAnotherTick) {
    FakeWindow button(0, 100);
    FakeWindow panel(100 - 800, 500);
    SlideAnimationManager slide;
    slide.mAnchor = &button;
    slide.mPanel = &panel;
    slide.mState = SlideAnimationManager::Hidden;
    EXPECT_THAT(RunMotion(slide, panel), ElementsAre(100, 100));

    FakeWindow tall(-510 + 200, 500);
    slide.mPanel = &tall;
    slide.mState = SlideAnimationManager::Shown;
    EXPECT_THAT(RunMotion(slide, tall), ElementsAre(-510, -510));
}

TEST(SlideAnimation, AMotionUnderWayIsNeverReversed) {
    FakeWindow button(0, 10);
    FakeWindow panel(10, 1000);
    SlideAnimationManager slide;
    slide.mAnchor = &button;
    slide.mPanel = &panel;
    EXPECT_FALSE(slide.Step());
    EXPECT_EQ(slide.mState, SlideAnimationManager::Hiding);
    EXPECT_FALSE(slide.Step());
    EXPECT_EQ(panel.top, 10 - 400) << "a second start while hiding goes on hiding";
}

TEST(PanelDecoration, FrameSurroundsTheBodyAndTheReflectionFillsTheRoomBelow) {
    const D::FramePictureSizes sizes{{15, 15}, {1, 4}, {15, 15}, {5, 1}, {5, 1}, {15, 15}, {1, 6}, {15, 15}, {1, 56}};
    const D::FramePieces p = D::FramePiecesFor(D::Rect{50, 40, 250, 140}, sizes);
    EXPECT_EQ(p.topLeft, (D::Rect{47, 38, 62, 53}));
    EXPECT_EQ(p.topRight, (D::Rect{238, 38, 253, 53}));
    EXPECT_EQ(p.left, (D::Rect{47, 53, 52, 130}));
    EXPECT_EQ(p.right, (D::Rect{248, 53, 253, 130}));
    EXPECT_EQ(p.top, (D::Rect{62, 38, 238, 42}));
    EXPECT_EQ(p.bottom, (D::Rect{62, 139, 238, 145}));
    EXPECT_EQ(p.bottomLeft, (D::Rect{47, 130, 62, 145}));
    EXPECT_EQ(p.bottomRight, (D::Rect{238, 130, 253, 145}));
    EXPECT_EQ(p.reflection, (D::Rect{50, 140, 249, 196}));
}

TEST(PanelDecoration, PicturesAreTriedAfterTheOneShownLast) {
    EXPECT_EQ(D::PictureFileName(0), L"Back.bmp");
    EXPECT_EQ(D::PictureFileName(20), L"Back20.bmp");
    const std::vector<int> fromZero = D::PictureSearchOrder(0);
    ASSERT_EQ(fromZero.size(), 21u);
    EXPECT_EQ(fromZero.front(), 1);
    EXPECT_EQ(fromZero.back(), 0);
    const std::vector<int> fromLast = D::PictureSearchOrder(20);
    EXPECT_EQ(fromLast.front(), 0);
    EXPECT_EQ(fromLast.back(), 20);
    for (int outside : {21, 25, -1, -5, -2147483647 - 1}) {
        const std::vector<int> order = D::PictureSearchOrder(outside);
        EXPECT_EQ(order.front(), 0) << outside;
        EXPECT_EQ(order.back(), 20) << outside;
    }
}

TEST(PanelDecoration, FileNamesFoundInTheDataFolderNameTheirPictureNumber) {
    const struct {
        const wchar_t* name;
        int number;
    } cases[] = {
        {L"Back.bmp", 0},    {L"BACK.BMP", 0},    {L"Back1.bmp", 1},       {L"back20.Bmp", 20},
        {L"Back21.bmp", -1}, {L"Back0.bmp", -1},  {L"Back01.bmp", -1},     {L"Back1.bmp.bmp", -1},
        {L"Back.bmpx", -1},  {L"Back 1.bmp", -1}, {L"Background.bmp", -1}, {L"", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(D::PictureNumberOf(c.name), c.number) << c.name;
    }
}

namespace {
namespace P = WindowPlacement;
const std::vector<P::Rect> OneScreen{{0, 0, 1920, 1040}};
const std::vector<P::Rect> TwoScreens{{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
} // namespace

TEST(WindowPlacement, StoredPanelsAreMadeUsable) {
    struct Case {
        const char* what;
        std::vector<P::Rect> screens;
        P::Rect stored, usable;
    } cases[] = {
        {"a panel on its screen stays", OneScreen, {100, -710, 1820, 30}, {100, -710, 1820, 30}},
        {"hidden (negative top) is not off-screen", OneScreen, {100, -5000, 1820, -4260}, {100, -5000, 1820, -4260}},
        {"far right of every screen", OneScreen, {50000, 0, 51720, 740}, {100, 0, 1820, 740}},
        {"far left", OneScreen, {-90000, 0, -88280, 740}, {100, 0, 1820, 740}},
        {"zero size", OneScreen, {100, 0, 100, 0}, {100, 0, 500, 300}},
        {"huge", OneScreen, {100, 0, 100100, 100000}, {0, 0, 1920, 1040}},
        {"on the second screen", TwoScreens, {2000, 0, 3000, 600}, {2000, 0, 3000, 600}},
        {"sticking out of the second screen", TwoScreens, {2800, 0, 3800, 600}, {2200, 0, 3200, 600}},
        {"a screen that is gone", OneScreen, {2000, 0, 3000, 600}, {100, 0, 1100, 600}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(P::UsablePanel(c.stored, c.screens), c.usable) << c.what;
    }
    // Extreme stored numbers do not overflow.
    const P::Rect extreme = P::UsablePanel(P::Rect{2147483647 - 10, 0, -2147483647 - 1, 2147483647}, OneScreen);
    EXPECT_GE(extreme.left, 0);
    EXPECT_LE(extreme.right, 1920);
    EXPECT_GE(extreme.Width(), P::MinPanelWidth);
}

TEST(WindowPlacement, TheButtonStaysOnTheScreens) {
    EXPECT_EQ(P::UsableButtonLeft(300, 100, TwoScreens), 300);
    EXPECT_EQ(P::UsableButtonLeft(3150, 100, TwoScreens), 3100);
    EXPECT_EQ(P::UsableButtonLeft(-5000, 100, TwoScreens), 0);
    EXPECT_EQ(P::UsableButtonLeft(2147483647, 100, OneScreen), 1820);
    // How far it hangs in: what the Options dialog offers, else the nearest end of that.
    const int heights[][2] = {{10, 10}, {1, 1}, {500, 500}, {0, 1}, {-1, 1}, {501, 500},
                              {2000000000, 500}, {-2147483647 - 1, 1}, {2147483647, 500}};
    for (const auto& [stored, usable] : heights) {
        EXPECT_EQ(P::UsableButtonVisibleHeight(stored), usable) << stored;
    }
}

TEST(SaveFailureNotice, TellsTheFirstFailureOfARunAndLogsEveryOtherUntilASaveWorks) {
    TestSupport::LogCapture log;
    SaveFailureNotice notice;
    notice.Saved();
    EXPECT_TRUE(log.Lines().empty()) << "a save that always worked logs nothing";

    // A run of failures: one box, then a log line per further failure with its count.
    EXPECT_TRUE(notice.Failed(L"Unable to write to D:\\groups.txt"));
    EXPECT_FALSE(notice.Failed(L"Unable to write to D:\\groups.txt"));
    EXPECT_FALSE(notice.Failed(L"Unable to write to D:\\groups.txt"));
    EXPECT_TRUE(notice.IsFailing());
    const auto failing = log.Messages();
    ASSERT_EQ(failing.size(), 2u);
    EXPECT_NE(failing[0].find(L"2 failures"), std::wstring::npos) << failing[0];
    EXPECT_NE(failing[1].find(L"3 failures"), std::wstring::npos) << failing[1];
    EXPECT_NE(failing[1].find(L"D:\\groups.txt"), std::wstring::npos) << failing[1];
    EXPECT_NE(log.Lines()[1].find(L"ERR"), std::wstring::npos) << log.Lines()[1];

    // Recovery is logged once, and a later failure is told again.
    notice.Saved();
    notice.Saved();
    EXPECT_FALSE(notice.IsFailing());
    const auto recovered = log.Messages();
    ASSERT_EQ(recovered.size(), 3u);
    EXPECT_NE(recovered[2].find(L"saved again after 3 failed"), std::wstring::npos) << recovered[2];
    EXPECT_TRUE(notice.Failed(L"Unable to write to D:\\groups.txt"));
    EXPECT_FALSE(notice.Failed(L"Unable to write to D:\\groups.txt"));
}

// The pieces drawn for 150 percent lie around the body at the scaled places, meeting as at 100.
TEST(PanelDecoration, FrameAtOneAndAHalfTimesMeetsTheBodyAtScaledPlaces) {
    const D::FramePictureSizes sizes{{23, 23}, {1, 6}, {23, 23}, {8, 1}, {8, 1}, {23, 23}, {1, 10}, {23, 23}, {1, 84}};
    const D::FramePieces p = D::FramePiecesFor(D::Rect{50, 40, 350, 190}, sizes, Tessel::Common::DisplayScale(144));
    EXPECT_EQ(p.topLeft, (D::Rect{45, 37, 68, 60}));
    EXPECT_EQ(p.topRight, (D::Rect{332, 37, 355, 60}));
    EXPECT_EQ(p.left, (D::Rect{45, 60, 53, 175}));
    EXPECT_EQ(p.right, (D::Rect{347, 60, 355, 175}));
    EXPECT_EQ(p.top, (D::Rect{68, 37, 332, 43}));
    EXPECT_EQ(p.bottom, (D::Rect{68, 188, 332, 198}));
    EXPECT_EQ(p.bottomLeft, (D::Rect{45, 175, 68, 198}));
    EXPECT_EQ(p.reflection, (D::Rect{50, 190, 348, 274}));
}

TEST(PanelDecoration, AScreenUsesThePicturesOfTheNearestScale) {
    struct Case {
        int dpi, pictureScale;
        const wchar_t* back;
    };
    for (const Case& c : {Case{96, 100, L"Back"}, Case{110, 100, L"Back"}, Case{120, 150, L"Back_150"},
                          Case{144, 150, L"Back_150"}, Case{168, 200, L"Back_200"}, Case{192, 200, L"Back_200"},
                          Case{288, 200, L"Back_200"}}) {
        const int scale = D::PictureScaleFor(Tessel::Common::DisplayScale(c.dpi));
        EXPECT_EQ(scale, c.pictureScale) << c.dpi;
        EXPECT_EQ(D::ScaledPictureName(L"Back", scale), c.back) << c.dpi;
    }
}
