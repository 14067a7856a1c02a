#pragma once

#include "framework/Form.h"

// The large panel of shortcut groups.
class TMainForm : public TForm {
public:
    TMainForm();
    ~TMainForm() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
};
