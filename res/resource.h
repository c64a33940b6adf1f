// Resource and control ids of the program's dialogs, strings and icon.
#pragma once

// Dialogs
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_TERNUPDATE_DIALOG = 102;

// Strings
constexpr int IDS_ABOUTBOX = 101;  // "About..."
constexpr int IDS_APP_TITLE = 102;  // "Tern Update Program": the main window's title

// Icon
constexpr int IDR_MAINFRAME = 128;

// Controls of the main dialog
constexpr int IDC_LABEL_OUTPUT_PORT = 1001;
constexpr int IDC_LABEL_STATUS = 1002;
constexpr int IDC_PROGRESS = 1003;
constexpr int IDC_STATUS = 1004;
constexpr int IDC_START = 1005;
constexpr int IDC_LABEL_FILE_NAME = 1006;
constexpr int IDC_OUTPUT_PORT = 1008;
constexpr int IDC_FILE_NAME = 1009;
constexpr int IDC_BROWSE = 1010;
constexpr int IDC_ABOUT = 1017;

// Controls of the About box
constexpr int IDC_ABOUT_VERSION = 1001;
constexpr int IDC_ABOUT_NOTICE = 1006;

// The system command that opens the About box.
constexpr unsigned IDM_ABOUTBOX = 0x0010;
