// The FTP login record. Platform-free.
#ifndef OVRA_LOGININFO_H
#define OVRA_LOGININFO_H

enum { kSettingSize = 128 };

struct LoginInfo {
    char host[kSettingSize];
    char user[kSettingSize];
    char password[kSettingSize];
    // SSH only: a private key file to log in with instead of the password, and its
    // passphrase (empty for a key without one).
    char keyFile[kSettingSize];
    char passphrase[kSettingSize];
};

#endif
