// Help › Contents and Help › Search...: Ovra's help is a web page built into the program,
// shown by the user's web browser (today's Windows has no WinHelp).
#ifndef OVRA_HELP_H
#define OVRA_HELP_H

// Writes the page into the user's Ovra folder and opens it; at its index when index is true.
// A page that cannot be written or opened gets an error box that names the file.
void ShowHelp(bool index);

#endif
