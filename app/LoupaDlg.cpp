#include "app/LoupaDlg.h"

#include "resource.h"

CLoupaDlg::CLoupaDlg() : CDialog(IDD_LOUPA_DIALOG) {}

void CLoupaDlg::OnWindowPosChanging(WINDOWPOS* pos) {
    // Never shown: neither the template's WS_VISIBLE nor the dialog manager
    // may make the window appear.
    pos->flags &= ~SWP_SHOWWINDOW;
    Default();
}
