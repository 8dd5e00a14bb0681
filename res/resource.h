// Resource ids shared by tamberlo.rc and the program's C++ code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDB_LOGO 129
#define IDD_LPT_DIALOG 131

#define IDC_ERASE 1000
#define IDC_BLANK 1001
#define IDC_PROGRAM 1002
#define IDC_VERIFY 1003
#define IDC_AUTO 1004
#define IDC_LOCK1 1005
#define IDC_LOCKBIT 1006
#define IDC_LOCK2 1007
#define IDC_LPT1 1008
#define IDC_LPT2 1009
#define IDC_LPT3 1010
#define IDC_OPENHEX 1011
#define IDC_DELAYBIT 1012
#define IDC_DELAYBYTE 1013
#define IDC_PROGRESS 1014

#define IDM_ABOUTBOX 0x0010
