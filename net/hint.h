// Which setting of Settings > Connection would have avoided a server's refusal.
// Platform-free.
#ifndef OVRA_HINT_H
#define OVRA_HINT_H

enum SettingHint { kNoHint, kHintPassiveMode, kHintSecureFtp };

// The hint for reply, the answer to command (only its first word counts; "" when no command
// is named). Passive mode: PORT refused with 500 or 501, or STOR answered 425, which is
// what a firewall or NAT in front of an active-mode data connection causes. Secure FTP: a
// 421, 530 or 550 whose text asks for TLS, SSL or encryption, on a control connection that
// is not yet secured.
SettingHint HintForReply(const char *command, const char *reply, bool secured);

#endif
