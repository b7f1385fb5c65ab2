// Values read from the settings file, kept while the file stays as it was, so that reading
// a key again costs a look at the file's size and time instead of opening it. Platform-free:
// profile.cpp supplies the file's state and does the reading.
#ifndef OVRA_KEPTREADS_H
#define OVRA_KEPTREADS_H

#include <stddef.h>
#include <stdint.h>

enum { kKeptReads = 16, kKeptNameSize = 64, kKeptValueSize = 128 };

// The settings file as the system reports it: its last-write time (100 ns units since 1601)
// and size; exists false when there is none.
struct FileStamp {
    bool exists;
    uint64_t lastWrite;
    uint64_t size;
};

// File times are coarse: two writes within one tick (up to 2 s on FAT) can leave the same
// time and size. So values are kept only when the file was at least that much older than
// the moment they were read: any later write then gives it a later time.
enum : uint64_t { kFileTimeTick = 20000000 };

struct KeptRead {
    char section[kKeptNameSize];
    char key[kKeptNameSize];
    char defaultText[kKeptNameSize];
    size_t size;  // the reader's buffer size: the value is cut to it
    unsigned long count;
    char value[kKeptValueSize];
};

struct KeptReads {
    FileStamp stamp;  // of the file the values came from
    int count;
    int next;         // the slot to reuse when all are taken
    KeptRead reads[kKeptReads];
};

// The value and count of an earlier read with the same arguments, when the file is still
// as it was then (stamp now); false when the file must be read.
bool FindKeptRead(const KeptReads *kept, const FileStamp *now, const char *section,
                  const char *key, const char *defaultText, char *buffer, size_t size,
                  unsigned long *count);
// Keeps what a read gave: stamp as taken before the read, readTime when it was made (file
// time units). Reads the tick rule or the sizes above exclude are not kept.
void KeepRead(KeptReads *kept, const FileStamp *stamp, uint64_t readTime, const char *section,
              const char *key, const char *defaultText, const char *value, size_t size,
              unsigned long count);
// After a write of our own.
void ForgetReads(KeptReads *kept);

#endif
