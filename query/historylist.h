// The stored form of a query history: entries each followed by a separator. Platform-free.
#ifndef OVRA_HISTORYLIST_H
#define OVRA_HISTORYLIST_H

#include <stddef.h>

enum {
    kHistorySize = 3200,  // the stored value and its terminator
    kEntrySize = 128,     // one query text and its terminator
    kHistoryMax = 25,     // entries ever written back
};

// Takes the next entry out of a stored value, in place. Entries are separated by runs of
// commas and spaces, so no empty entry ever comes out. Null when none is left.
char *NextHistoryEntry(char **cursor);

// Joins up to kHistoryMax entries, most recent first, each followed by separator, into
// value (size characters with the terminator). An entry that would not fit is left out
// together with every older one, so what is written always reads back whole.
// Returns the number of entries joined.
int JoinHistory(char *value, size_t size, const char *const *entries, int count,
                const char *separator);

#endif
