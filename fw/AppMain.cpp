// Program entry: hands control to the application object.
#include "fw/WinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    fw::CWinApp* app = fw::AfxGetApp();
    return app != nullptr ? app->Run(instance) : 1;
}
