// Text a server chose (the names in its certificate), made safe to show beside text of the
// program's own. Platform-free.
#ifndef OVRA_SERVERTEXT_H
#define OVRA_SERVERTEXT_H

enum { kReplacementCharacter = 0xFFFD };

// Replaces, in place, every character of the UTF-16 text that could start a new line or
// reorder what is shown (C0 and C1 controls and DEL, the line and paragraph separators,
// the bidirectional marks, embeddings, overrides and isolates) with U+FFFD, so that the
// text stays on its one line, reads in the order it is stored and cannot pass for a line
// of the program's own. Stops at the terminator.
void SanitizeServerText(char16_t *text);

#endif
