// Whether to go on with an SSH server: its host key, trusted on first use and pinned.
#ifndef OVRA_HOSTKEY_H
#define OVRA_HOSTKEY_H

#include "net/ssh.h"

// The key pinned for host under [HostKeys] goes on without a word; another key is refused
// with a box that says so, before any password is sent. A host with none pinned: the user
// is asked, when mayAskUser allows it, with the key's type and fingerprint, and Yes pins
// it. 0 to log in; -1 once the exchange has ended (reported, or declined).
int TrustHostKey(SshLink *link, const char *host, bool mayAskUser);

#endif
