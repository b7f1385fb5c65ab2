#include "query/history.h"

#include <string.h>

#include "query/historylist.h"
#include "res/resource.h"
#include "settings/profile.h"

static const char kSection[] = "Addresses";

static void LoadHistory(HWND dialog, const char *key)
{
    char value[kHistorySize];
    ReadProfileText(kSection, key, "", value, sizeof value);
    char *cursor = value;
    for (char *entry = NextHistoryEntry(&cursor); entry; entry = NextHistoryEntry(&cursor))
        SendDlgItemMessageA(dialog, IDC_QUERY, CB_ADDSTRING, 0, (LPARAM)entry);
    SendDlgItemMessageA(dialog, IDC_QUERY, CB_SETCURSEL, 0, 0);
}

// Only an edited file gives an entry longer than a query; it is cut to one.
static void FetchEntry(HWND dialog, int index, char *entry)
{
    char whole[kHistorySize] = "";
    LRESULT length = SendDlgItemMessageA(dialog, IDC_QUERY, CB_GETLBTEXTLEN, (WPARAM)index, 0);
    if (length != CB_ERR && length < (LRESULT)sizeof whole)
        SendDlgItemMessageA(dialog, IDC_QUERY, CB_GETLBTEXT, (WPARAM)index, (LPARAM)whole);
    lstrcpynA(entry, whole, kEntrySize);
}

static void SaveHistory(HWND dialog, const char *key, const char *separator)
{
    char entries[kHistoryMax][kEntrySize];
    const char *pointers[kHistoryMax];
    int count = (int)SendDlgItemMessageA(dialog, IDC_QUERY, CB_GETCOUNT, 0, 0);
    if (count > kHistoryMax)
        count = kHistoryMax;
    for (int i = 0; i < count; i++) {
        FetchEntry(dialog, i, entries[i]);
        pointers[i] = entries[i];
    }
    char value[kHistorySize];
    JoinHistory(value, sizeof value, pointers, count, separator);
    WriteProfileText(kSection, key, value);
}

// The typed text goes to the top of the list, replacing an entry that differs only in case.
static void CommitQuery(HWND dialog, const QueryKind *kind)
{
    char text[kEntrySize];
    GetDlgItemTextA(dialog, IDC_QUERY, text, sizeof text);
    if (kind->prepare != nullptr)
        kind->prepare(text);
    LRESULT found = SendDlgItemMessageA(dialog, IDC_QUERY, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
    if (found != CB_ERR)
        SendDlgItemMessageA(dialog, IDC_QUERY, CB_DELETESTRING, (WPARAM)found, 0);
    SendDlgItemMessageA(dialog, IDC_QUERY, CB_INSERTSTRING, 0, (LPARAM)text);
    SaveHistory(dialog, kind->key, kind->separator);
    // The dialog leaves the screen before the exchange waits.
    EndDialog(dialog, 0);
    kind->run(text);
}

INT_PTR QueryDialog(HWND dialog, UINT message, WPARAM wParam, const QueryKind *kind)
{
    switch (message) {
    case WM_INITDIALOG:
        LoadHistory(dialog, kind->key);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            CommitQuery(dialog, kind);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
