#include "app/words.h"

#include <string.h>

char *NextWord(char **cursor, const char *separators)
{
    char *start = *cursor + strspn(*cursor, separators);
    if (*start == '\0') {
        *cursor = start;
        return nullptr;
    }
    char *end = start + strcspn(start, separators);
    if (*end != '\0')
        *end++ = '\0';
    *cursor = end;
    return start;
}

const char *SkipProgramPath(const char *commandLine)
{
    if (*commandLine != '"')
        return commandLine + strcspn(commandLine, " \t");
    const char *close = strchr(commandLine + 1, '"');
    return close != nullptr ? close + 1 : commandLine + strlen(commandLine);
}
