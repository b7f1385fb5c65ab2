#include "net/pasv.h"

#include <ctype.h>
#include <string.h>

// One number of 0-255 at *text; moves *text past it.
static bool ReadByte(const char **text, unsigned long *value)
{
    const char *p = *text;
    if (!isdigit((unsigned char)*p))
        return false;
    unsigned long n = 0;
    while (isdigit((unsigned char)*p)) {
        n = n * 10 + (unsigned long)(*p - '0');
        if (n > 255)
            return false;
        p++;
    }
    *value = n;
    *text = p;
    return true;
}

static bool ReadSixNumbers(const char *text, unsigned long numbers[6])
{
    for (int i = 0; i < 6; i++) {
        if (i > 0 && *text++ != ',')
            return false;
        if (!ReadByte(&text, &numbers[i]))
            return false;
    }
    return true;
}

bool ParsePassiveReply(const char *reply, unsigned long *address, unsigned short *port)
{
    // The code is no part of the address.
    const char *text = reply;
    for (int i = 0; i < 3 && *text != '\0'; i++)
        text++;
    for (; *text != '\0'; text++) {
        if (!isdigit((unsigned char)*text) || isdigit((unsigned char)text[-1]))
            continue;
        unsigned long n[6];
        if (ReadSixNumbers(text, n)) {
            *address = n[0] << 24 | n[1] << 16 | n[2] << 8 | n[3];
            *port = (unsigned short)(n[4] << 8 | n[5]);
            return true;
        }
    }
    return false;
}

bool ParseExtendedPassiveReply(const char *reply, unsigned short *port)
{
    const char *text = strchr(reply, '(');
    if (text == nullptr)
        return false;
    char delimiter = text[1];
    if (delimiter < '!' || delimiter > '~' || isdigit((unsigned char)delimiter) ||
        text[2] != delimiter || text[3] != delimiter)
        return false;
    unsigned long value = 0;
    const char *p = text + 4;
    for (; isdigit((unsigned char)*p) && value <= 65535; p++)
        value = value * 10 + (unsigned long)(*p - '0');
    if (p == text + 4 || *p != delimiter || value == 0 || value > 65535)
        return false;
    *port = (unsigned short)value;
    return true;
}
