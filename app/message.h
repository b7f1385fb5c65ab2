// Message boxes whose caption and text come from the string table: every box of the
// program goes through these, so each beeps its icon's sound and comes to the front alike.
#ifndef OVRA_MESSAGE_H
#define OVRA_MESSAGE_H

#include <windows.h>

enum { kMessageLineSize = 128 };  // a caption or one text of the string table

// A box whose caption and text come from the string table, after a beep of its icon type.
int ShowMessage(UINT style, UINT captionId, UINT textId, HWND owner);
// The same with a text of its own.
int ShowText(UINT style, UINT captionId, const char *text, HWND owner);
// The same with the text of string formatId, whose one %s names a file.
int ShowFileMessage(UINT style, UINT captionId, UINT formatId, const char *path, HWND owner);
// Loads a string-table text into text (size bytes); "[id] Unknown error" when it is missing.
void LoadMessageText(UINT id, char *text, int size);

#endif
