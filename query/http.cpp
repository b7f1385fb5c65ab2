#include "query/http.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

void FormatHttpRequest(const char *host, const char *path, unsigned port, const char *agent,
                       char *out, size_t size)
{
    char portText[8] = "";
    if (port != 80)
        snprintf(portText, sizeof portText, ":%u", port & 0xFFFFu);
    snprintf(out, size, "GET /%s HTTP/1.0\r\nHost: %s%s\r\nUser-Agent: %s\r\n\r\n", path, host,
             portText, agent);
}

// The end of the line starting at from (past its LF), or length when it has none.
static size_t LineEnd(const char *text, size_t from, size_t length)
{
    const void *lf = memchr(text + from, '\n', length - from);
    return lf == nullptr ? length : (size_t)((const char *)lf - text) + 1;
}

// Whether the line [from, end) holds nothing but its line end.
static bool IsBlankLine(const char *text, size_t from, size_t end)
{
    return end - from == 1 || (end - from == 2 && text[from] == '\r');
}

static bool StartsWithName(const char *line, size_t lineLength, const char *name)
{
    size_t n = strlen(name);
    if (lineLength < n)
        return false;
    for (size_t i = 0; i < n; i++) {
        if (tolower((unsigned char)line[i]) != name[i])
            return false;
    }
    return true;
}

// "HTTP/x.y NNN": the status code, or -1 when the answer does not start that way.
static int StatusCode(const char *text, size_t lineEnd)
{
    if (lineEnd < 12 || memcmp(text, "HTTP/", 5) != 0)
        return -1;
    const char *space = (const char *)memchr(text, ' ', lineEnd);
    if (space == nullptr || (size_t)(space - text) + 4 > lineEnd)
        return -1;
    int code = 0;
    for (int i = 1; i <= 3; i++) {
        if (!isdigit((unsigned char)space[i]))
            return -1;
        code = code * 10 + (space[i] - '0');
    }
    return code;
}

size_t HttpAnswerForPane(char *answer, size_t length)
{
    size_t statusEnd = LineEnd(answer, 0, length);
    int code = StatusCode(answer, statusEnd);
    if (code < 0)
        return length;
    size_t location = 0, locationEnd = 0;
    size_t line = statusEnd;
    for (;;) {
        if (line == length)
            return length;  // the headers never end: show what came
        size_t end = LineEnd(answer, line, length);
        if (IsBlankLine(answer, line, end))
            break;
        if (StartsWithName(answer + line, end - line, "location:"))
            location = line, locationEnd = end;
        line = end;
    }
    size_t blank = line;  // the blank line that ends the headers, then the body
    if (code >= 200 && code <= 299) {
        size_t body = LineEnd(answer, blank, length);
        memmove(answer, answer + body, length - body);
        return length - body;
    }
    // The status line stays where it is; each kept part moves down behind the last.
    size_t kept = statusEnd;
    if (code >= 300 && code <= 399 && locationEnd > location) {
        memmove(answer + kept, answer + location, locationEnd - location);
        kept += locationEnd - location;
    }
    memmove(answer + kept, answer + blank, length - blank);
    return kept + length - blank;
}
