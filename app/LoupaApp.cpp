#include "fw/WinApp.h"
#include "app/LoupaDlg.h"

class CLoupaApp : public fw::CWinApp {
public:
    BOOL InitInstance() override {
        CLoupaDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

CLoupaApp theApp;
