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

static bool KeptInUrl(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           strchr("-._~/:", c) != nullptr;
}

bool FileUrl(const char *path, char *url, size_t size)
{
    static const char kScheme[] = "file:///";
    static const char kHex[] = "0123456789ABCDEF";
    size_t length = sizeof kScheme - 1;
    if (size <= length) {
        if (size > 0)
            url[0] = '\0';
        return false;
    }
    memcpy(url, kScheme, length);
    for (const char *p = path; *p != '\0'; p++) {
        unsigned char c = *p == '\\' ? '/' : (unsigned char)*p;
        size_t room = KeptInUrl(c) ? 1 : 3;
        if (length + room >= size) {
            url[0] = '\0';
            return false;
        }
        if (room == 1) {
            url[length++] = (char)c;
        } else {
            url[length++] = '%';
            url[length++] = kHex[c >> 4];
            url[length++] = kHex[c & 15];
        }
    }
    url[length] = '\0';
    return true;
}
