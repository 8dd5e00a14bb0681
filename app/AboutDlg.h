// CAboutDlg: the About box opened from the main window's system menu.
#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;
    enum { IDD = IDD_ABOUTBOX };

protected:
    void DoDataExchange(CDataExchange* dx) override;

    DECLARE_MESSAGE_MAP()
};
