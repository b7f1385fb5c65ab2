#include "net/watchdog.h"

#include "app/appstate.h"

static UINT watchdogPeriod = kWatchdogPeriod;

void SetWatchdogPeriod(UINT milliseconds)
{
    watchdogPeriod = milliseconds;
}

void ArmWatchdog(void)
{
    SetTimer(g_hMainWindow, kWatchdogId, watchdogPeriod, nullptr);
}

void DisarmWatchdog(void)
{
    KillTimer(g_hMainWindow, kWatchdogId);
}
