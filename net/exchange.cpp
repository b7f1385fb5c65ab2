#include "net/exchange.h"

#include "app/busy.h"
#include "net/transcript.h"
#include "net/watchdog.h"

void BeginExchange(void)
{
    ArmWatchdog();
    SetBusy(1);
}

void EndExchange(void)
{
    DisarmWatchdog();
    SetBusy(0);
    TranscriptEnd();
}
