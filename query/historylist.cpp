#include "query/historylist.h"

#include <string.h>

#include "app/words.h"

char *NextHistoryEntry(char **cursor)
{
    return NextWord(cursor, ", ");
}

int JoinHistory(char *value, size_t size, const char *const *entries, int count,
                const char *separator)
{
    size_t length = 0;
    size_t separatorLength = strlen(separator);
    int joined = 0;
    if (size == 0)
        return 0;
    value[0] = '\0';
    for (; joined < count && joined < kHistoryMax; joined++) {
        size_t entryLength = strlen(entries[joined]);
        if (length + entryLength + separatorLength >= size)
            break;
        memcpy(value + length, entries[joined], entryLength);
        memcpy(value + length + entryLength, separator, separatorLength + 1);
        length += entryLength + separatorLength;
    }
    return joined;
}
