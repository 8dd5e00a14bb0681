// Running the main dialog for a test.
#include "tests/harness/MainDialog.h"

#include "app/tamberlo.h"

INT_PTR RunMainDialog(CTamberloDlg& dlg, DialogDriver& driver, std::function<void(HWND)> action,
                      AfterAction after) {
    theApp.m_pMainWnd = &dlg;
    driver.On("tamberlo", [action, after](HWND dialog) {
        action(dialog);
        if (after == AfterAction::Close && ::IsWindow(dialog))
            ::EndDialog(dialog, IDCANCEL);
    });
    const INT_PTR result = dlg.DoModal();
    // The framework forgets the main window when the window is destroyed; a dialog whose
    // window could not be created leaves that to us.
    if (result == -1)
        theApp.m_pMainWnd = nullptr;
    return result;
}
