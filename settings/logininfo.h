// The FTP login record. Platform-free.
#ifndef OVRA_LOGININFO_H
#define OVRA_LOGININFO_H

enum { kSettingSize = 128 };

struct LoginInfo {
    char host[kSettingSize];
    char user[kSettingSize];
    char password[kSettingSize];
};

#endif
