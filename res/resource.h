// Every resource id of Ovra. Included by ovra.rc and by the code.
#ifndef OVRA_RESOURCE_H
#define OVRA_RESOURCE_H

// Menu "Main" commands
#define IDM_POST_ON        101
#define IDM_POST_OFF       102
#define IDM_FINGER         103
#define IDM_WEB            104
#define IDM_HELP_CONTENTS  105
#define IDM_EXIT           106
#define IDM_FTP_LOGIN      107
#define IDM_ABOUT          108
#define IDM_SAVE_POSITION  109
#define IDM_COPY           110
#define IDM_HELP_SEARCH    111
#define IDM_CLEAR          112
#define IDM_AUTO_POST      113
#define IDM_TIME_ZONE      114
#define IDM_UPLOAD_FILES   115

// Dialog controls (every dialog numbers its own from 101)
#define IDC_STATIC         -1
#define IDC_LOGIN_HOST     101
#define IDC_LOGIN_USER     102
#define IDC_LOGIN_PASSWORD 103
#define IDC_LOGIN_SAVE     104
#define IDC_TIMEZONE       101
#define IDC_UPLOAD1        101
#define IDC_UPLOAD1_NAME   102
#define IDC_UPLOAD2        103
#define IDC_UPLOAD2_NAME   104
#define IDC_QUERY          101

// String table
#define IDS_APP_TITLE      1
#define IDS_WINSOCK_ERROR  4
#define IDS_ERROR          5
#define IDS_FTP_ERROR      7
#define IDS_NO_MEMORY      8
#define IDS_FREE_FAILED    9
#define IDS_SETTINGS_UNSAVED 30  // formats: one %s, a file's path
#define IDS_HELP_UNAVAILABLE 31

#endif
