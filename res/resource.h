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
#define IDM_CONNECTION     116
#define IDM_PRESENCE       117
#define IDM_RETRY_NOW      118  // after a failed automatic posting
#define IDM_SHOW_OVRA      120  // the notification-area icon's menu

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
#define IDC_SECURE_FTP     101
#define IDC_PASSIVE_MODE   102
#define IDC_WEB_HTTP10     103
#define IDC_OFF_WHEN_LOCKED 101
#define IDC_OFF_WHEN_ASLEEP 102
#define IDC_IDLE_MINUTES   103
#define IDC_TRAY_ICON      104
#define IDC_START_AT_LOGON 105

// String table
#define IDS_APP_TITLE      1
#define IDS_WINSOCK_ERROR  4
#define IDS_ERROR          5
#define IDS_FTP_ERROR      7
#define IDS_NO_MEMORY      8
#define IDS_FREE_FAILED    9
#define IDS_USER_BREAK     10
#define IDS_PASSWORD_BREAK 11
#define IDS_FILE1_BREAK    12
#define IDS_FILE2_BREAK    13
#define IDS_NO_REPLY       14
#define IDS_PASSWORD_UNSAVED 15
#define IDS_CERT_CAPTION   20
#define IDS_HINT_PASSIVE   21
#define IDS_HINT_SECURE    22
#define IDS_TLS_FAILED     23
#define IDS_TLS_CLOSED     24
#define IDS_TLS_UNAVAILABLE 25
#define IDS_TLS_OTHER_CERT 26
#define IDS_CERT_PROBLEM   27
#define IDS_CERT_ASK       28
#define IDS_CERT_UNATTENDED 29
#define IDS_CERT_UNKNOWN_CA 30
#define IDS_CERT_OTHER_NAME 31
#define IDS_CERT_EXPIRED   32
#define IDS_CERT_INVALID   33
#define IDS_SETTINGS_UNSAVED 40  // formats: one %s, a file's path
#define IDS_HELP_UNAVAILABLE 41
#define IDS_DATA_OTHERS_ONLY 69
#define IDS_HINT_HTTP10    180
#define IDS_LOGON_UNSAVED  100  // the Run key could not be written
#define IDS_TIP_ON         101  // the icon's tooltips: a time, a host
#define IDS_TIP_OFF        102
#define IDS_TIP_UNKNOWN    103
#define IDS_TIP_FAILED     104  // "On" or "Off", why, the next try's time
#define IDS_TIP_STOPPED    105  // "On" or "Off", why
#define IDS_RETRY_NOW      106
#define IDS_WEB_FROM       181  // format: one %s, an address

// The product token web queries send as their User-Agent; it follows the version resource.
#define OVRA_USER_AGENT    "Ovra/1.1b2"

#endif
