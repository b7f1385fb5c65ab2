// Posting the status: the FTP exchange, the status line and the Auto Post toggle.
#ifndef OVRA_POST_H
#define OVRA_POST_H

#include <winsock.h>
#include "settings/logininfo.h"

// mayAskUser: the user started this posting from the menu, so it may stop to ask (whether
// to trust a certificate); otherwise such a question ends it with a box instead.
int PostStatus(int command, LoginInfo login, bool mayAskUser);
BOOL ToggleAutoPost(int *autoPostFlag);

#endif
