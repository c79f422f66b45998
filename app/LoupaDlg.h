#pragma once

#include "fw/Dialog.h"

class CLoupaDlg : public fw::CDialog {
public:
    CLoupaDlg();

protected:
    void OnWindowPosChanging(WINDOWPOS* pos) override;
};
