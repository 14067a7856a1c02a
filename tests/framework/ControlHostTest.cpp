#include "framework/ControlHost.h"

#include "framework/Controls.h"
#include "framework/StdCtrls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

// A host that is no form: it only notes what its controls tell it, with how many are left.
class RecordingHost : public TControlHost {
public:
    std::vector<std::string> journal;

protected:
    void ControlRemoved(TGraphicControl*) override { Note("removed", Controls().size()); }
    void ControlChanged(TGraphicControl*) override { Note("changed", Controls().size()); }
    void WinControlRemoved(TWinControl*) override { Note("native removed", WinControls().size()); }
    void DefaultButtonChanged() override { Note("default button", WinControls().size()); }

private:
    void Note(const std::string& what, std::size_t count) { journal.push_back(what + " " + std::to_string(count)); }
};

} // namespace

TEST(TControlHost, KeepsItsControlsInOrderAndHearsThemChangeAndGo) {
    RecordingHost host;
    {
        TGraphicControl below(host);
        TGraphicControl above(host);
        EXPECT_THAT(host.Controls(), ElementsAre(&below, &above));
        below.SetVisible(false);
        above.SetBounds(1, 2, 3, 4);
        above.SetBounds(1, 2, 3, 4);

        TButton ok(host);
        TButton cancel(host);
        EXPECT_THAT(host.WinControls(), ElementsAre(&ok, &cancel));
        EXPECT_NE(ok.Id(), cancel.Id());
        ok.SetDefault(true);
        EXPECT_EQ(ok.Id(), IDOK);
        ok.ModalResult = TModalResult::mrOk;
        ok.Click();
        EXPECT_EQ(host.ModalResult(), TModalResult::mrOk);
    }
    EXPECT_THAT(host.journal, ElementsAre("changed 2", "changed 2", "default button 2", "native removed 1",
                                          "native removed 0", "removed 1", "removed 0"))
        << "an unchanged move tells nothing, and a control is gone from the list before the host hears it";
    EXPECT_THAT(host.Controls(), ElementsAre());
}
