#include "net/watchdog.h"

#include "app/appstate.h"
#include "net/netio.h"
#include "net/report.h"

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

int WatchdogExpired(void)
{
    DisarmWatchdog();
    if (NetCancelWait() == 0)
        return 0;
    return ReportWinsockError();
}
