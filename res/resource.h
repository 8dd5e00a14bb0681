// Resource ids shared by tamberlo.rc and the program's C++ code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDS_CHIPBOX 103
#define IDR_MAINFRAME 128
#define IDB_LOGO 129
#define IDD_LPT_DIALOG 131
#define IDD_CHIP_DIALOG 132

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

// The chip window: its buttons, what a Read shows, the fuse fields, and one row per named
// fuse setting (a check box, or a label and a list of values, and its meaning).
#define IDC_CHIP_READ 1100
#define IDC_WRITE_FUSES 1101
#define IDC_FACTORY_DEFAULTS 1102
#define IDC_READ_FLASH 1103
#define IDC_WRITE_EEPROM 1104
#define IDC_READ_EEPROM 1105
#define IDC_CHIP_NAME 1110
#define IDC_CHIP_SIGNATURE 1111
#define IDC_CHIP_LOCK 1112
#define IDC_CHIP_BOOTLOCK 1113
#define IDC_FUSE_LOW 1120
#define IDC_FUSE_HIGH 1121
#define IDC_CLOCK 1122
#define IDC_CALIBRATION 1123
#define IDC_CHIP_PROGRESS 1124
#define IDC_FUSE_ROWS 10
#define IDC_FUSE_CHECK0 1130
#define IDC_FUSE_LABEL0 1140
#define IDC_FUSE_CHOICE0 1150
#define IDC_FUSE_MEANING0 1160

#define IDM_ABOUTBOX 0x0010
#define IDM_CHIPBOX 0x0020
