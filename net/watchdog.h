// The watchdog: one window timer (id 1) that bounds a whole exchange.
#ifndef OVRA_WATCHDOG_H
#define OVRA_WATCHDOG_H

#include <windows.h>

enum { kWatchdogId = 1, kWatchdogPeriod = 65535 };

void ArmWatchdog(void);
void DisarmWatchdog(void);
// WM_TIMER: cuts off the waiting call; with none waiting, reports why nothing was cut off.
int WatchdogExpired(void);
// Tests shorten the watch; the program always runs with kWatchdogPeriod.
void SetWatchdogPeriod(UINT milliseconds);

#endif
