// Building file paths in fixed buffers. Platform-free.
#ifndef OVRA_PATHS_H
#define OVRA_PATHS_H

#include <stddef.h>

// Appends name to the folder path held in path (size characters with the terminator),
// with one backslash between them. Returns false, leaving path unchanged, when the result
// would not fit.
bool AppendPath(char *path, size_t size, const char *name);

// The file: URL of a full Windows path (file:///C:/a%20b/c.html): backslashes become slashes,
// and every byte but letters, digits and -._~/: is written as %XX. Returns false, url
// empty, when it would not fit in size characters with the terminator.
bool FileUrl(const char *path, char *url, size_t size);

#endif
