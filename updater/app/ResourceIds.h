/* Identifiers of the updater's resources, the main window's controls and
   its commands. Shared by the C++ code and the resource scripts, so plain
   preprocessor definitions only. */
#ifndef MERU_RESOURCE_IDS_H
#define MERU_RESOURCE_IDS_H

/* Dialog templates. */
#define IDD_ABOUT 100
#define IDD_MAIN_WINDOW 102
#define IDD_PROGRESS 130
#define IDD_PDA_SETTINGS 139
#define IDD_TEXT_WINDOW 144
#define IDD_TEXT_WINDOW_PLAIN 145 /* dialog 144 with a plain edit, without RichEdit 2.0 */

/* Icons (in resource order) and the file list's image strip. */
#define IDI_MAIN 128
#define IDI_PICTURE 133
#define IDI_HEX_FILE 134
#define IDI_PDA_FILE 136
#define IDI_CLIPBOARD 148
#define IDB_FILE_TYPES 143

/* The unattached menu that carries the tools' captions. */
#define IDR_TOOLS_MENU 129

/* Strings: 102 and 103 are the captions of system commands 17 and 18. */
#define IDS_REGISTER_HEX 102
#define IDS_REGISTER_PDA 103
#define IDS_VERSION 999

/* System commands of the main window. */
#define IDM_ABOUT 16
#define IDM_REGISTER_HEX 17
#define IDM_REGISTER_PDA 18

/* Main window (dialog 102): visible controls. */
#define IDC_STATUS_GROUP 1068
#define IDC_STATUS 1066
#define IDC_VERSION 1037
#define IDC_CAUTION_GROUP 1067
#define IDC_CAUTION 1065
#define IDC_ADAPTER_GROUP 1069
#define IDC_CURRENT_LABEL 1060
#define IDC_AFTER_LABEL 1080
#define IDC_AFTER_REVISION_LABEL 1078
#define IDC_AFTER_FILENAME_LABEL 1079
#define IDC_CURRENT_PRIMARY_REVISION 1074
#define IDC_CURRENT_PRIMARY_FILE 1070
#define IDC_CURRENT_STATION_REVISION 1076
#define IDC_CURRENT_STATION_FILE 1071
#define IDC_AFTER_PRIMARY_REVISION 1075
#define IDC_AFTER_PRIMARY_FILE 1072
#define IDC_AFTER_STATION_REVISION 1077
#define IDC_AFTER_STATION_FILE 1073
#define IDC_PROGRESS 1035
#define IDC_CONTINUE 1011
#define IDC_CANCEL 1064

/* Main window: hidden controls. */
#define IDC_ADAPTER_NAME 1026
#define IDC_ADAPTER_LIST 1016
#define IDC_FILE_LIST 1040
#define IDC_PDA_MAC 1020
#define IDC_ADAPTER_MAC 1024
#define IDC_SERIAL_NUMBER 1021
#define IDC_DETECT_ADAPTERS 1051
#define IDC_CLOSE_ADAPTER 1014
#define IDC_QUERY_FW_VERSION 1046
#define IDC_TEST_RID_FC01 1045
#define IDC_TEST_RID_FC0F 1010
#define IDC_ADD_FILE_BUTTON 1000
#define IDC_QUIT 2
#define IDC_FORCE_ALL_BLOCKS 1054
#define IDC_VERIFY_DOWNLOADS 1055

/* Commands without a control of their own (the tools' menu entries). */
#define IDM_ADD_FILE 1056
#define IDM_QUERY_DRIVER_VERSION 32780
#define IDM_SHOW_MAC_ID 32779
#define IDM_SHOW_CIS 32778
#define IDM_SHOW_PDA 32773
#define IDM_EDIT_MAC_SERIAL 1015
#define IDM_CLEAR_PDA 1017
#define IDM_CLEAR_PDA_ALT 32772
#define IDM_DUMP_FIRMWARE 32781

/* Progress window (dialog 130). */
#define IDC_PROGRESS_TEXT 1033
#define IDC_PROGRESS_ADAPTER 1057
#define IDC_PROGRESS_FIRMWARE 1058
#define IDC_PROGRESS_BAR 1035

/* About box (dialog 100). */
#define IDC_ABOUT_TITLE 1001
#define IDC_ABOUT_VERSION 1002

/* PDA settings (dialog 139); OK is "Write to Card Now". */
#define IDC_PDA_SETTINGS_MAC 1019
#define IDC_PDA_SETTINGS_SERIAL 1018
#define IDC_PDA_SETTINGS_UPPERCASE 1022

/* Text window (dialog 144); OK and Cancel take the caller's captions. */
#define IDC_TEXT_WINDOW_TEXT 1044
#define IDC_TEXT_WINDOW_CLIPBOARD 1053

/* Labels, frames and pictures the program never addresses. */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
