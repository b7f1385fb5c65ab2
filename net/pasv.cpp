#include "net/pasv.h"

#include <ctype.h>

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
