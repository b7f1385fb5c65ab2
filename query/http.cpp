#include "query/http.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

void FormatHttpRequest(const char *host, const char *path, unsigned port, const char *agent,
                       char *out, size_t size, unsigned defaultPort)
{
    char portText[8] = "";
    if (port != defaultPort)
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

int HttpStatusCode(const char *answer, size_t length)
{
    return StatusCode(answer, LineEnd(answer, 0, length));
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

static bool IsRedirectCode(int code)
{
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// The value from begin to end (its line end included), without the blanks around it.
static bool CopyValue(const char *begin, const char *end, char *value, size_t size)
{
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        begin++;
    while (end > begin && isspace((unsigned char)end[-1]))
        end--;
    size_t length = (size_t)(end - begin);
    if (length == 0 || length >= size)
        return false;
    // What is followed goes into a request line: no blank, no line break may end up in it.
    for (size_t i = 0; i < length; i++) {
        if ((unsigned char)begin[i] <= ' ' || begin[i] == 0x7F)
            return false;
    }
    memcpy(value, begin, length);
    value[length] = '\0';
    return true;
}

bool HttpRedirectTarget(const char *answer, size_t length, char *location, size_t size)
{
    size_t line = LineEnd(answer, 0, length);
    if (!IsRedirectCode(StatusCode(answer, line)))
        return false;
    static const char name[] = "location:";
    while (line < length) {
        size_t end = LineEnd(answer, line, length);
        if (IsBlankLine(answer, line, end))
            return false;
        if (StartsWithName(answer + line, end - line, name))
            return CopyValue(answer + line + sizeof name - 1, answer + end, location, size);
        line = end;
    }
    return false;
}

// The length of text's scheme with its colon ("https:" is 6), 0 when it has none.
static size_t SchemeLength(const char *text)
{
    if (!isalpha((unsigned char)text[0]))
        return 0;
    size_t n = 1;
    while (isalnum((unsigned char)text[n]) || text[n] == '+' || text[n] == '-' || text[n] == '.')
        n++;
    return text[n] == ':' ? n + 1 : 0;
}

static bool IsWebScheme(const char *text, size_t schemeLength)
{
    return (schemeLength == 5 && StartsWithName(text, 5, "http:")) ||
           (schemeLength == 6 && StartsWithName(text, 6, "https:"));
}

// The path from its first slash up to its query: "." and ".." segments taken out, as a
// server would, so that the address asked for is the one meant.
static void RemoveDotSegments(char *path)
{
    char *tail = path + strcspn(path, "?");
    char *out = path;
    const char *in = path;
    while (in < tail) {  // in is at the slash before a segment
        const char *segment = in + 1;
        const char *next = segment;
        while (next < tail && *next != '/')
            next++;
        size_t n = (size_t)(next - segment);
        bool last = next == tail;
        if (n == 1 && segment[0] == '.') {
            if (last)
                *out++ = '/';
        } else if (n == 2 && segment[0] == '.' && segment[1] == '.') {
            while (out > path && *--out != '/') {
            }
            if (last)
                *out++ = '/';
        } else {
            memmove(out, in, n + 1);
            out += n + 1;
        }
        in = next;
    }
    memmove(out, tail, strlen(tail) + 1);
}

bool ResolveLocation(const char *base, const char *location, char *out, size_t size)
{
    size_t refLength = strcspn(location, "#");
    size_t scheme = SchemeLength(location);
    size_t hostStart = (size_t)(strstr(base, "//") - base) + 2;
    size_t pathStart = hostStart + strcspn(base + hostStart, "/?");
    size_t queryStart = pathStart + strcspn(base + pathStart, "?");
    size_t kept;  // of base, ahead of the reference
    const char *join = "";
    if (scheme != 0) {
        if (!IsWebScheme(location, scheme) || strncmp(location + scheme, "//", 2) != 0)
            return false;
        kept = 0;
    } else if (location[0] == '/' && location[1] == '/') {
        kept = hostStart - 2;
    } else if (location[0] == '/') {
        kept = pathStart;
    } else if (location[0] == '?') {
        kept = queryStart;
    } else if (refLength == 0) {
        kept = strlen(base);
    } else {
        const char *slash = base + queryStart;
        while (slash > base + pathStart && slash[-1] != '/')
            slash--;
        kept = (size_t)(slash - base);
        if (kept == pathStart)
            join = "/";
    }
    int n = snprintf(out, size, "%.*s%s%.*s", (int)kept, base, join, (int)refLength, location);
    if (n < 0 || (size_t)n >= size)
        return false;
    char *host = strstr(out, "//") + 2;
    char *path = host + strcspn(host, "/?");
    if (*path == '/')
        RemoveDotSegments(path);
    return true;
}
