// Placeholder until posting lands.
#include "post/post.h"

int PostStatus(int, LoginInfo) { return 0; }
int BuildStatusLine(char *, int, SOCKET) { return 0; }
BOOL ToggleAutoPost(int *) { return TRUE; }
