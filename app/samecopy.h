// Whether a window found by the program's class belongs to a copy of this program, so that
// a second start hands its words only to a copy, never to another program's window that
// took the class name.
#ifndef OVRA_SAMECOPY_H
#define OVRA_SAMECOPY_H

#include <windows.h>

// True when window's process runs this exe, or another file with the very same version
// resource (a copy elsewhere, the other architecture's build of this version).
bool IsCopyOfThisProgram(HWND window);

#endif
