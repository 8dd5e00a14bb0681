// CLptDlg: the first-run notice that asks the user to choose a printer port.
#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

class CLptDlg : public CDialog {
public:
    explicit CLptDlg(CWnd* parent = nullptr);
    ~CLptDlg() override;
    enum { IDD = IDD_LPT_DIALOG };

protected:
    void DoDataExchange(CDataExchange* dx) override;

    DECLARE_MESSAGE_MAP()
};
