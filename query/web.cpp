#include "query/web.h"

#include "query/capture.h"
#include "query/history.h"
#include "query/querybox.h"
#include "query/querytext.h"
#include "res/resource.h"
#include "settings/values.h"

int RunWebQuery(char *query)
{
    if (ReadSwitch(kWebHttp10))
        return RunFollowingWebQuery(query);
    // Some servers wait for header lines that the simple request never sends.
    return RunQuery(query, "http", MakeWebRequest, false, IDS_HINT_HTTP10);
}

// A typed "http://" is dropped before the history sees the text, so both forms are one entry.
static const QueryKind kWebQuery = {"Web", ",", StripHttpPrefix, RunWebQuery};

INT_PTR CALLBACK WebBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return QueryDialog(dialog, message, wParam, &kWebQuery);
}
