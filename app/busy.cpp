#include "app/busy.h"

#include "app/appstate.h"
#include "res/resource.h"

void SetBusy(int busy)
{
    HMENU menu = GetMenu(g_hMainWindow);
    SendMessageA(g_hMainWindow, WM_USER, (WPARAM)busy, 0);
    UINT state = MF_BYCOMMAND | (busy != 0 ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu, IDM_POST_ON, state);
    EnableMenuItem(menu, IDM_POST_OFF, state);
    EnableMenuItem(menu, IDM_FINGER, state);
    EnableMenuItem(menu, IDM_AUTO_POST, state);
}
