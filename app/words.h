// Splitting text into words in place, the way strtok does, but with the position kept by
// the caller so that no hidden state is shared. Platform-free.
#ifndef OVRA_WORDS_H
#define OVRA_WORDS_H

// Skips separators at *cursor, terminates the word that follows and returns it; moves
// *cursor past the terminator. Returns a null pointer when only separators remain.
char *NextWord(char **cursor, const char *separators);

// Past the program's own path at the start of a command line, as Windows takes it apart:
// a quoted path runs to the next quotation mark, an unquoted one to the first blank or tab.
const char *SkipProgramPath(const char *commandLine);

#endif
