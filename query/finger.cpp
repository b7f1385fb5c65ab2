#include "query/finger.h"

#include "query/capture.h"
#include "query/history.h"
#include "query/querybox.h"
#include "query/querytext.h"

int RunFingerQuery(char *query)
{
    return RunQuery(query, "finger", MakeFingerRequest);
}

static const QueryKind kFingerQuery = {"Finger", ", ", nullptr, RunFingerQuery};

INT_PTR CALLBACK FingerBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return QueryDialog(dialog, message, wParam, &kFingerQuery);
}
