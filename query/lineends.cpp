#include "query/lineends.h"

size_t ExpandLineFeeds(const char *received, size_t count, char *display)
{
    size_t out = 0;
    for (size_t i = 0; i <= count; i++) {
        // Looking back at the received bytes, not at what was written, keeps CR LF as it is.
        if (received[i] == '\n' && (i == 0 || received[i - 1] != '\r'))
            display[out++] = '\r';
        display[out++] = received[i];
    }
    return out;
}
