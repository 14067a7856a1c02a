#pragma once

#include "framework/Form.h"

// The small button that hangs from the top edge of the screen. It is the application's main
// window: closing it ends the program, and its destruction closes the log.
class TEdgeForm : public TForm {
public:
    TEdgeForm();
    ~TEdgeForm() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;
};
