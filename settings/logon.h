// Starting with Windows: the value "Ovra" under HKCU\...\CurrentVersion\Run, which names
// this exe by its quoted full path.
#ifndef OVRA_LOGON_H
#define OVRA_LOGON_H

#include <windows.h>

// True only when the value names this exe (another copy's path counts as not).
bool StartsAtLogon(void);
// Writes or removes the value; false when the registry refused.
bool SetStartAtLogon(bool on);

#endif
