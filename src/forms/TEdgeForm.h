#pragma once

#include "culture/CultureManager.h"
#include "framework/Form.h"
#include "os/IOsSpecific.h"
#include "os/VistaOrLaterSpecific.h"
#include "os/WinXPSpecific.h"
#include "settings/ConfigItems.h"
#include "settings/UserSettings.h"

#include <string>

class TMainForm;

// The small button that hangs from the top edge of the screen. It is the application's main
// window: closing it ends the program, and its destruction closes the log.
class TEdgeForm : public TForm {
public:
    TEdgeForm();
    ~TEdgeForm() override;

    // The panel this button shows and hides; set once, before the application runs.
    void SetMainPanel(TMainForm* panel) { mMainPanel = panel; }

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;

private:
    // Hangs the button from the top edge of the screen: only the visible height shows.
    void PlaceButton(bool atStoredLeft);

    std::wstring mDataFolder;
    ConfigItems mConfigItems;
    UserSettings mUserSettings;
    WinXPSpecific mWinXPSpecific;
    VistaOrLaterSpecific mVistaOrLaterSpecific;
    // The one of the two that fits the running Windows; null before Windows XP.
    IOsSpecific* mOsSpecific = nullptr;
    CultureManager mCultureManager;
    TMainForm* mMainPanel = nullptr;
};
