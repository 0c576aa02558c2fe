// Resource and control ids shared by the .rc script and the code.
#pragma once

// Controls that no code looks up
#define IDC_STATIC           -1

// Icons
#define IDI_PROGRAM          1
#define IDI_TOOLBAR_NORMAL   2
#define IDI_TOOLBAR_HOT      3
#define IDI_ENABLE           117
#define IDI_DISABLE          118
#define IDI_PROMPT           120
#define IDI_UNLOCKED         121
#define IDI_LOCKED           123
#define IDI_DISABLE_OFF      124
#define IDI_ENABLE_OFF       125
#define IDI_PROMPT_OFF       126

// Cursors
#define IDCUR_HAND           130

// Dialog templates
#define IDD_MAIN             101
#define IDD_OPTIONS          129
#define IDD_INSTALL          131

// Messages (string table)
#define IDS_NO_ZONE_MANAGER     114
#define IDS_GET_ATTRIBUTES      115
#define IDS_SET_ATTRIBUTES      116
#define IDS_GET_POLICY          117
#define IDS_SET_POLICY          118
#define IDS_TOO_MANY_OPTIONS    119
#define IDS_NO_OPTION           120
#define IDS_COPY_FAILED         121
#define IDS_OUT_OF_MEMORY       122
#define IDS_CONFIRM_UNINSTALL   123
#define IDS_NO_FOLDER           124
#define IDS_CANNOT_REMOVE       125
#define IDS_REGISTER_FAILED     126

// Main dialog: row r has label 1001+r, buttons 1011+3r..1013+3r, status 1041+r
#define IDC_FIRST_LABEL      1001
#define IDC_LAST_LABEL       1010
#define IDC_FIRST_BUTTON     1011
#define IDC_LAST_BUTTON      1040
#define IDC_FIRST_STATUS     1041
#define IDC_LAST_STATUS      1050
#define IDC_OPTIONS          1051
#define IDC_NOTICE           1052
#define IDC_LINK             1058

// Options dialog
#define IDC_OPTION_LIST      1051

// Install dialog
#define IDC_FOLDER           1059
#define IDC_BROWSE           1060
#define IDC_ALL_USERS        1061
#define IDC_CURRENT_USER     1062
