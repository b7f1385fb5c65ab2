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
#define IDM_LAST_EXCHANGE  119
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
#define IDC_SFTP_POST        112  // Connection
#define IDC_LOGIN_KEY_FILE   113  // Login
#define IDC_LOGIN_PASSPHRASE 114  // Login
#define IDC_SAFE_REPLACE   104
#define IDC_READABLE_FILES 105
#define IDC_CHECK_SEEN     106
#define IDC_IMPLICIT_TLS   107
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
#define IDS_CERT_REVOKED   66
#define IDS_TLS_RENEGOTIATED 68
#define IDS_DATA_OTHERS_ONLY 69
#define IDS_HINT_HTTP10    180
#define IDS_DATA_NOT_ARRIVED 140
#define IDS_DATA_NO_CONNECT  141  // format: one %s, an address and port
#define IDS_HINT_ACTIVE      142
#define IDS_SEEN_CAPTION     143
#define IDS_SEEN_NO_PROJECT  144  // formats: one %s, user@host
#define IDS_SEEN_CR          145
#define IDS_SEEN_EMPTY       146
#define IDS_SEEN_OTHER       147
#define IDS_SEEN_NO_FINGER   148
#define IDS_NO_GREETING      149
#define IDS_HINT_IMPLICIT    150
#define IDS_GREETING_TLS     151
#define IDS_WEB_FORBIDDEN    152  // formats 152-155: one %s, the page's address
#define IDS_WEB_NOT_FOUND    153
#define IDS_WEB_STATUS       154
#define IDS_WEB_OTHER        155
#define IDS_SEEN_NOT_SHOWN   156  // format: one %s, user@host
#define IDS_LOGON_UNSAVED  100  // the Run key could not be written
#define IDS_TIP_ON         101  // the icon's tooltips: a time, a host
#define IDS_TIP_OFF        102
#define IDS_TIP_UNKNOWN    103
#define IDS_TIP_FAILED     104  // "On" or "Off", why, the next try's time
#define IDS_TIP_STOPPED    105  // "On" or "Off", why
#define IDS_RETRY_NOW      106
#define IDS_WEB_FROM       181  // format: one %s, an address
// The last exchange's transcript (Edit > Last Exchange)
#define IDS_LAST_TITLE     240  // format: one %s, the application title
#define IDS_LAST_NONE      241
#define IDS_LAST_POST_ON   242  // formats 242-245: one %s, the host or the query
#define IDS_LAST_POST_OFF  243
#define IDS_LAST_FINGER    244
#define IDS_LAST_WEB       245
#define IDS_LAST_CONNECTED 246  // formats 246-248: %s an address, %u a port
#define IDS_LAST_DATA_TO   247
#define IDS_LAST_DATA_FROM 248
#define IDS_LAST_TLS       249
#define IDS_LAST_CLOSED    250
#define IDS_LAST_PEER_CLOSED 251
#define IDS_LAST_STORED    252  // format: one %s, the files
#define IDS_LAST_NOTHING_STORED 253
#define IDS_LAST_SHOWN     254  // format: one %s, the byte count
#define IDS_LAST_FAILED_AT 255  // format: %s the command, %.*s the box's first line
#define IDS_LAST_FAILED    256  // format: %.*s the box's first line
#define IDS_LAST_UNFINISHED 257
#define IDS_LAST_USER_ENDED 258
#define IDS_HELP_NO_BROWSER 259  // format: one %s, a file's path
// SFTP postings
#define IDS_SSH_CAPTION          200
#define IDS_HOSTKEY_CAPTION      201
#define IDS_HOSTKEY_NEW          202  // formats: host, key type, fingerprint
#define IDS_HOSTKEY_ASK          203  // host
#define IDS_HOSTKEY_UNATTENDED   204
#define IDS_HOSTKEY_CHANGED      205  // host, pinned fingerprint, key type, fingerprint
#define IDS_SSH_PASSWORD_REFUSED 206  // user
#define IDS_SSH_KEY_REFUSED      207  // key file, user
#define IDS_SSH_KEY_UNUSABLE     208  // key file
#define IDS_SSH_NO_SHARED        209  // kind, the server's list, Ovra's list
#define IDS_SSH_KIND_KEX         210
#define IDS_SSH_KIND_HOSTKEY     211
#define IDS_SSH_KIND_CIPHER      212
#define IDS_SSH_KIND_MAC         213
#define IDS_SSH_FAILED           214  // libssh2's message, its error number
#define IDS_SFTP_REFUSED         215  // file, SFTP status

// The product token web queries send as their User-Agent; it follows the version resource.
#define OVRA_USER_AGENT    "Ovra/1.1b2"

#endif
