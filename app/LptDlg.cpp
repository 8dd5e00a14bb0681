// The first-run notice: a fixed text and an OK button; nothing to exchange.
#include "app/LptDlg.h"

CLptDlg::CLptDlg(CWnd* parent) : CDialog(IDD, parent) {}

CLptDlg::~CLptDlg() = default;

void CLptDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}

BEGIN_MESSAGE_MAP(CLptDlg, CDialog)
END_MESSAGE_MAP()
