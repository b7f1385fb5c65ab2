#include "app/paths.h"

#include <string.h>

bool AppendPath(char *path, size_t size, const char *name)
{
    size_t length = strlen(path);
    // A folder given as a drive root or by hand may already end in its separator.
    bool separator = length == 0 || path[length - 1] != '\\';
    size_t added = (separator ? 1 : 0) + strlen(name);
    if (length + added >= size)
        return false;
    if (separator)
        path[length++] = '\\';
    memcpy(path + length, name, strlen(name) + 1);
    return true;
}
