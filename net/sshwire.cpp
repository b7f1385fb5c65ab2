#include "net/sshwire.h"

#include <string.h>

enum { kKexInitMessage = 20, kCookieSize = 16, kMaxPacket = 35000 };

static unsigned long ReadUint32(const unsigned char *p)
{
    return ((unsigned long)p[0] << 24) | ((unsigned long)p[1] << 16) | ((unsigned long)p[2] << 8) |
           (unsigned long)p[3];
}

// Where the binary packets begin: past every line up to and including the "SSH-" one.
static bool SkipIdentification(const char *bytes, size_t length, size_t *offset)
{
    size_t start = 0;
    while (start < length) {
        const char *end = (const char *)memchr(bytes + start, '\n', length - start);
        if (end == nullptr)
            return false;
        bool identification = length - start >= 4 && memcmp(bytes + start, "SSH-", 4) == 0;
        start = (size_t)(end - bytes) + 1;
        if (identification) {
            *offset = start;
            return true;
        }
    }
    return false;
}

bool ParseKexInit(const char *bytes, size_t length, NameList lists[kKexListCount])
{
    size_t offset = 0;
    if (!SkipIdentification(bytes, length, &offset) || length - offset < 6)
        return false;
    const auto *packet = (const unsigned char *)bytes + offset;
    unsigned long packetLength = ReadUint32(packet);
    unsigned padding = packet[4];
    if (packetLength > kMaxPacket || packetLength > length - offset - 4 || padding + 1u > packetLength)
        return false;
    const unsigned char *p = packet + 5;
    const unsigned char *end = packet + 4 + packetLength - padding;
    if (end - p < 1 + kCookieSize || *p != kKexInitMessage)
        return false;
    p += 1 + kCookieSize;
    for (int i = 0; i < kKexListCount; i++) {
        if (end - p < 4)
            return false;
        unsigned long size = ReadUint32(p);
        p += 4;
        if (size > (unsigned long)(end - p))
            return false;
        lists[i].text = (const char *)p;
        lists[i].length = size;
        p += size;
    }
    return true;
}

// The next name of a list from *at on; false past the last one.
static bool NextName(const NameList *list, size_t *at, const char **name, size_t *length)
{
    if (*at >= list->length)
        return false;
    const char *start = list->text + *at;
    const char *comma = (const char *)memchr(start, ',', list->length - *at);
    *length = comma != nullptr ? (size_t)(comma - start) : list->length - *at;
    *name = start;
    *at += *length + 1;
    return true;
}

bool ShareName(const NameList *a, const NameList *b)
{
    const char *x, *y;
    size_t xLength, yLength;
    for (size_t i = 0; NextName(a, &i, &x, &xLength);) {
        for (size_t j = 0; NextName(b, &j, &y, &yLength);) {
            if (xLength > 0 && xLength == yLength && memcmp(x, y, xLength) == 0)
                return true;
        }
    }
    return false;
}

void FormatSha256Fingerprint(const unsigned char digest[kSha256Size], char *text)
{
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    memcpy(text, "SHA256:", 7);
    char *out = text + 7;
    for (int i = 0; i < kSha256Size; i += 3) {
        unsigned long group = (unsigned long)digest[i] << 16;
        int have = kSha256Size - i < 3 ? kSha256Size - i : 3;
        if (have > 1)
            group |= (unsigned long)digest[i + 1] << 8;
        if (have > 2)
            group |= digest[i + 2];
        for (int k = 0; k <= have; k++)
            *out++ = kDigits[(group >> (18 - 6 * k)) & 63];
    }
    *out = '\0';
}
