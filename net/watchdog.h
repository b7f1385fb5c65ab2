// The watchdog: one window timer (id 1) that bounds a whole exchange.
#ifndef OVRA_WATCHDOG_H
#define OVRA_WATCHDOG_H

#include <windows.h>

enum { kWatchdogId = 1, kWatchdogPeriod = 65535 };

void ArmWatchdog(void);
void DisarmWatchdog(void);
// Its WM_TIMER runs WatchdogExpired (net/report.h).
// Tests shorten the watch; the program always runs with kWatchdogPeriod.
void SetWatchdogPeriod(UINT milliseconds);

#endif
