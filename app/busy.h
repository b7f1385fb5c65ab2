// Busy mode: while an exchange runs, the commands that would start another are greyed and
// the main window shows the wait cursor.
#ifndef OVRA_BUSY_H
#define OVRA_BUSY_H

// 1 enters busy mode, 0 leaves it.
void SetBusy(int busy);

#endif
