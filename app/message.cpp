#include "app/message.h"

#include "app/appstate.h"

// Codes outside the string table still get a box that names them.
void LoadMessageText(UINT id, char *text, int size)
{
    if (LoadStringA(g_hInstance, id, text, size) == 0)
        wsprintfA(text, "[%u] Unknown error", id);
}

int ShowMessage(UINT style, UINT captionId, UINT textId, HWND owner)
{
    char text[kMessageLineSize];
    LoadMessageText(textId, text, sizeof text);
    return ShowText(style, captionId, text, owner);
}

int ShowText(UINT style, UINT captionId, const char *text, HWND owner)
{
    char caption[kMessageLineSize];
    LoadMessageText(captionId, caption, sizeof caption);
    MessageBeep(style & MB_ICONMASK);
    // While the main window is hidden or minimised (Auto Post at start, a posting from the
    // command line, closing) nothing else would bring the box before the user's windows.
    if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner))
        style |= MB_SETFOREGROUND;
    return MessageBoxA(owner, text, caption, style);
}

int ShowFileMessage(UINT style, UINT captionId, UINT formatId, const char *path, HWND owner)
{
    char format[kMessageLineSize * 2];
    char text[1025];  // wsprintfA writes at most 1,024 characters and the terminator
    if (LoadStringA(g_hInstance, formatId, format, sizeof format) == 0)
        lstrcpyA(format, "%s");
    wsprintfA(text, format, path);
    return ShowText(style, captionId, text, owner);
}
