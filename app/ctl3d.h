// The 3-D controls library, where the system folder still has one (Wine has a built-in
// one; modern Windows has none, and then these calls do nothing).
#ifndef OVRA_CTL3D_H
#define OVRA_CTL3D_H

#include <windows.h>

void Ctl3dStart(HINSTANCE instance);
void Ctl3dStop(HINSTANCE instance);

#endif
