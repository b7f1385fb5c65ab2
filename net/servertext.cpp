#include "net/servertext.h"

static bool Unsafe(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) ||  // controls: CR and LF among them
           c == 0x061C ||                            // Arabic letter mark
           c == 0x200E || c == 0x200F ||             // left-to-right and right-to-left marks
           c == 0x2028 || c == 0x2029 ||             // line and paragraph separators
           (c >= 0x202A && c <= 0x202E) ||           // embeddings and overrides
           (c >= 0x2066 && c <= 0x2069);             // isolates
}

void SanitizeServerText(char16_t *text)
{
    for (; *text != u'\0'; text++) {
        if (Unsafe(*text))
            *text = kReplacementCharacter;
    }
}
