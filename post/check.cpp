#include "post/check.h"

#include <string.h>

#include "query/http.h"

// The length of the line at text, without its CR or LF.
static size_t LineLength(const char *text, const char *end)
{
    const char *p = text;
    while (p < end && *p != '\r' && *p != '\n')
        p++;
    return (size_t)(p - text);
}

static const char *NextLine(const char *text, const char *end)
{
    const char *p = text + LineLength(text, end);
    if (p < end && *p == '\r')
        p++;
    if (p < end && *p == '\n')
        p++;
    return p;
}

// The text after label at the start of a line, or null.
static const char *FindLabel(const char *answer, const char *end, const char *label)
{
    const size_t labelLength = strlen(label);
    for (const char *line = answer; line < end; line = NextLine(line, end)) {
        if ((size_t)(end - line) >= labelLength && memcmp(line, label, labelLength) == 0)
            return line + labelLength;
    }
    return nullptr;
}

SeenVerdict JudgeFingerAnswer(const char *answer, size_t length, const char *posted)
{
    const char *end = answer + length;
    const char *text = FindLabel(answer, end, "Project:");
    if (text == nullptr)
        return FindLabel(answer, end, "Login:") != nullptr ? kSeenNoProject : kSeenNotShown;
    while (text < end && *text == ' ')
        text++;
    if (LineLength(text, end) == 0)
        text = NextLine(text, end);
    size_t shown = LineLength(text, end);
    size_t wanted = LineLength(posted, posted + strlen(posted));
    if (shown == 0)
        return kSeenEmpty;
    if (shown == wanted + 2 && memcmp(text + wanted, "^M", 2) == 0 &&
        memcmp(text, posted, wanted) == 0)
        return kSeenCarriageReturn;
    return shown == wanted && memcmp(text, posted, wanted) == 0 ? kSeenAsPosted : kSeenOther;
}

WebVerdict JudgeWebAnswer(char *answer, size_t length, const char *posted)
{
    int code = HttpStatusCode(answer, length);
    if (code == 403)
        return kWebForbidden;
    if (code == 404)
        return kWebNotFound;
    if (code < 200 || code > 299)
        return kWebStatus;
    const char *end = answer + HttpAnswerForPane(answer, length);
    size_t wanted = LineLength(posted, posted + strlen(posted));
    return LineLength(answer, end) == wanted && memcmp(answer, posted, wanted) == 0 &&
                   NextLine(answer, end) == end
               ? kWebAsPosted
               : kWebOther;
}
