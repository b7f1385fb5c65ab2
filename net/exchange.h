// The first and last stages of every exchange (a posting, a query), named once.
#ifndef OVRA_EXCHANGE_H
#define OVRA_EXCHANGE_H

// Arms the watchdog and enters busy mode.
void BeginExchange(void);
// Disarms the watchdog and leaves busy mode.
void EndExchange(void);

#endif
