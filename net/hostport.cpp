#include "net/hostport.h"

#include <string.h>

static bool CopyHost(const char *start, size_t length, char *host, size_t size)
{
    if (length == 0 || length >= size)
        return false;
    memcpy(host, start, length);
    host[length] = '\0';
    return true;
}

static bool ReadPort(const char *text, unsigned short *port)
{
    unsigned long value = 0;
    if (*text == '\0')
        return false;
    for (; *text != '\0'; text++) {
        if (*text < '0' || *text > '9')
            return false;
        value = value * 10 + (unsigned long)(*text - '0');
        if (value > 65535)
            return false;
    }
    *port = (unsigned short)value;
    return value != 0;
}

static bool Split(const char *text, char *host, size_t size, unsigned short *port)
{
    *port = 0;
    if (text[0] == '[') {
        const char *close = strchr(text, ']');
        if (close == nullptr || !CopyHost(text + 1, (size_t)(close - text - 1), host, size))
            return false;
        return close[1] == '\0' || (close[1] == ':' && ReadPort(close + 2, port));
    }
    const char *colon = strchr(text, ':');
    // Two colons or more: an IPv6 address without a port.
    if (colon == nullptr || strchr(colon + 1, ':') != nullptr)
        return CopyHost(text, strlen(text), host, size);
    return CopyHost(text, (size_t)(colon - text), host, size) && ReadPort(colon + 1, port);
}

bool SplitHostPort(const char *text, char *host, size_t size, unsigned short *port)
{
    if (Split(text, host, size, port))
        return true;
    *port = 0;
    if (strlen(text) < size)
        strcpy(host, text);
    else if (size > 0)
        host[0] = '\0';
    return false;
}
