// Runs the program's main dialog as the application's start-up does (as the main
// window, modally), with a test's action inside the dialog's own message loop.
#pragma once
#include "app/tamberloDlg.h"
#include "tests/harness/DialogDriver.h"

#include <functional>

enum class AfterAction { Close, KeepOpen };

// Runs `dlg`; `action` runs once the window is shown, then (unless KeepOpen, for an
// action that ends the dialog itself) the dialog is closed as by Esc. Returns the
// dialog's end code.
INT_PTR RunMainDialog(CTamberloDlg& dlg, DialogDriver& driver, std::function<void(HWND)> action,
                      AfterAction after = AfterAction::Close);
