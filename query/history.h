// The query dialogs' shared behaviour: the history list in combo box 101, kept under
// "Addresses" in "ovra.ini", and the commit that runs the query once the dialog is gone.
#ifndef OVRA_HISTORY_H
#define OVRA_HISTORY_H

#include <windows.h>

struct QueryKind {
    const char *key;                 // "Finger" or "Web"
    const char *separator;           // written after every stored entry
    void (*prepare)(char *text);     // normalises the typed text, or null
    int (*run)(char *query);         // the query routine
};

// The dialog procedure of either query dialog.
INT_PTR QueryDialog(HWND dialog, UINT message, WPARAM wParam, const QueryKind *kind);

#endif
