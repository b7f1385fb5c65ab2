// Every section, key and default of ovra.ini (the typed readers of the "Settings" section
// are in settings/values.h). Nothing else names a key: a new setting is one line here.
#ifndef OVRA_KEYS_H
#define OVRA_KEYS_H

#include "res/resource.h"

#define SETTINGS_SECTION "Settings"
#define LOGIN_SECTION    "Login"           // the keys below, the password scrambled
#define LOGIN_HOST_KEY     "Host"
#define LOGIN_USER_KEY     "User"
#define LOGIN_PASSWORD_KEY "Password"
#define SAVE_PASSWORD_KEY  "SavePassword"  // "Yes" or "No"; read as "no" when missing
#define LOGIN_KEY_FILE_KEY   "KeyFile"       // SFTP postings: a private key file's path
#define LOGIN_PASSPHRASE_KEY "KeyPassphrase" // its passphrase, scrambled, saved as the password
#define WINDOW_SECTION   "WindowPosition"  // "X", "Y", "Width", "Height" in pixels
// Pinned SSH host keys: one key per Login Host, the key's "SHA256:..." fingerprint as value.
#define HOSTKEYS_SECTION "HostKeys"
// Pinned server certificates: one key per FTP host, its SHA-256 fingerprint as the value.
#define CERTIFICATES_SECTION "Certificates"

// The values of the "Settings" section. The switches hold "true" or "false"; with those of
// Settings > Connection off every exchange runs as it always has.
enum Setting {
    kSecureFtp,        // postings log in and store over TLS
    kPassiveMode,      // postings open their data connections with PASV
    kWebHttp10,        // web queries are HTTP/1.0 requests with headers
    kUploadFile1,      // the first upload target: on by default
    kUploadFile1Name,
    kUploadFile2,      // the second: off by default
    kUploadFile2Name,
    kTimezone,         // the status line's zone text
    kAutoPost,         // 1: post On at start and Off at the end
    kSftpPost,         // postings log in over SSH and write the files by SFTP
    kSafeReplace,      // store to a temporary name, then rename it over the file
    kReadableFiles,    // SITE CHMOD 644 each stored file
    kCheckSeen,        // finger the posted user after posting
    kImplicitTls,      // TLS from the connection's first byte, port 990 by default
    // Settings > Presence: the status follows the user once an On of theirs succeeded.
    kOffWhenLocked,    // Off while the session is locked or disconnected
    kOffWhenAsleep,    // Off when the computer suspends
    kIdleMinutes,      // Off after that many minutes without input; 0: never
    kTrayIcon,         // an icon in the notification area
    kCheckWebAddress,  // the web page target's address, fetched after posting; "": never
    kSettingCount
};

// An upload target: its switch, its file name, and the box when the name holds a line break.
struct UploadTarget {
    Setting enable;
    Setting name;
    unsigned breakText;
};
enum { kTargetCount = 2 };

struct SettingKey {
    const char *key;
    const char *fallback;  // the default
    bool posting;          // read by a posting between the server's replies
    // While the key is missing or empty, a switch follows this one instead of its default.
    Setting follows = kSettingCount;
};
inline constexpr SettingKey kSettingKeys[kSettingCount] = {
    /* kSecureFtp */       {"SecureFtp", "false", true},
    /* kPassiveMode */     {"PassiveMode", "false", true},
    /* kWebHttp10 */       {"WebHttp10", "false", false},
    /* kUploadFile1 */     {"UploadFile1", "true", true},
    /* kUploadFile1Name */ {"UploadFile1Name", ".project", true},
    /* kUploadFile2 */     {"UploadFile2", "false", true},
    /* kUploadFile2Name */ {"UploadFile2Name", "public_html/ovra.txt", true},
    /* kTimezone */        {"Timezone", "", true},
    /* kAutoPost */        {"AutoPost", "0", false},
    /* kSftpPost */        {"SftpPost", "false", true},
    // New with Secure FTP's data connections, which can fail after the file was truncated.
    /* kSafeReplace */     {"SafeReplace", "", true, kSecureFtp},
    /* kReadableFiles */   {"ReadableFiles", "false", true},
    /* kCheckSeen */       {"CheckSeen", "false", false},
    /* kImplicitTls */     {"ImplicitTls", "false", true},
    /* kOffWhenLocked */   {"OffWhenLocked", "false", false},
    /* kOffWhenAsleep */   {"OffWhenAsleep", "false", false},
    /* kIdleMinutes */     {"IdleMinutes", "0", false},
    /* kTrayIcon */        {"TrayIcon", "false", false},
    /* kCheckWebAddress */ {"CheckWebAddress", "", false},
};

inline constexpr UploadTarget kUploadTargets[kTargetCount] = {
    {kUploadFile1, kUploadFile1Name, IDS_FILE1_BREAK},
    {kUploadFile2, kUploadFile2Name, IDS_FILE2_BREAK},
};

#endif
