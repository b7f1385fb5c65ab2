// The finger query: one user name line to a host's finger service.
#ifndef OVRA_FINGER_H
#define OVRA_FINGER_H

// 0 when the answer is shown, -1 after the failure has been reported. Cuts up query.
int RunFingerQuery(char *query);

#endif
