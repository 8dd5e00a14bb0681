// CTamberloApp: the application object; its start-up runs the main dialog modally.
#pragma once
#include "framework/WinApp.h"

class CTamberloApp : public CWinApp {
public:
    CTamberloApp();
    ~CTamberloApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CTamberloApp theApp;
