// Posting the status: the FTP exchange, the status line and the Auto Post toggle.
#ifndef OVRA_POST_H
#define OVRA_POST_H

#include <winsock.h>
#include "settings/logininfo.h"

int PostStatus(int command, LoginInfo login);
int BuildStatusLine(char *buffer, int command, SOCKET control);
BOOL ToggleAutoPost(int *autoPostFlag);

#endif
