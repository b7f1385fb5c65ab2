#include "net/hint.h"

#include <ctype.h>
#include <string.h>

#include "net/reply.h"

static bool IsVerb(const char *command, const char *verb)
{
    size_t length = strlen(verb);
    for (size_t i = 0; i < length; i++) {
        if (toupper((unsigned char)command[i]) != verb[i])
            return false;
    }
    return command[length] == '\0' || command[length] == ' ' || command[length] == '\r';
}

// A word of text that starts with stem, letter case ignored ("TLS", "SSL/TLS", "encryption").
static bool HasWordStartingWith(const char *text, const char *stem, bool wholeWord)
{
    size_t length = strlen(stem);
    for (const char *p = text; *p != '\0'; p++) {
        if (p > text && isalpha((unsigned char)p[-1]))
            continue;
        size_t i = 0;
        while (i < length && tolower((unsigned char)p[i]) == stem[i])
            i++;
        if (i == length && !(wholeWord && isalpha((unsigned char)p[length])))
            return true;
    }
    return false;
}

static bool AsksForEncryption(const char *reply)
{
    return HasWordStartingWith(reply, "tls", true) || HasWordStartingWith(reply, "ssl", true) ||
           HasWordStartingWith(reply, "encrypt", false);
}

SettingHint HintForReply(const char *command, const char *reply, bool secured)
{
    int code = ReplyCode(reply);
    if (IsVerb(command, "PORT") && (code == 500 || code == 501))
        return kHintPassiveMode;
    if (IsVerb(command, "STOR") && code == 425)
        return kHintPassiveMode;
    if (!secured && (code == 421 || code == 530 || code == 550) && AsksForEncryption(reply + 3))
        return kHintSecureFtp;
    return kNoHint;
}
