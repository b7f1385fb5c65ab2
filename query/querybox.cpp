// Placeholder until queries land.
#include "query/querybox.h"

INT_PTR CALLBACK FingerBox(HWND d, UINT m, WPARAM w, LPARAM) { if (m == WM_COMMAND && (w == IDOK || w == IDCANCEL)) { EndDialog(d, 0); return TRUE; } return FALSE; }
INT_PTR CALLBACK WebBox(HWND d, UINT m, WPARAM w, LPARAM) { if (m == WM_COMMAND && (w == IDOK || w == IDCANCEL)) { EndDialog(d, 0); return TRUE; } return FALSE; }
