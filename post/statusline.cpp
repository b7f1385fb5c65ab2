#include "post/statusline.h"

#include <stdio.h>

// Fixed names, never strftime's: readers of the line parse it whatever our locale is.
static const char *NameAt(const char *const *names, int count, int index)
{
    return index >= 0 && index < count ? names[index] : "???";
}

void FormatStatusLine(bool on, const char *hostName, const char *address,
                      const struct tm *when, const char *zone, char *out, size_t size)
{
    static const char *const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int used;
    if (!on)
        used = snprintf(out, size, "OVRA OFF ");
    else if (hostName != nullptr)
        used = snprintf(out, size, "OVRA ON %s %s ", hostName, address);
    else
        used = snprintf(out, size, "OVRA ON %s ", address);
    if (used < 0 || (size_t)used >= size)
        return;
    snprintf(out + used, size - (size_t)used, "%s %s %02d %02d:%02d:%02d %4d %s\r\n",
             NameAt(days, 7, when->tm_wday), NameAt(months, 12, when->tm_mon), when->tm_mday,
             when->tm_hour, when->tm_min, when->tm_sec, when->tm_year + 1900, zone);
}
