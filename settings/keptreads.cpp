#include "settings/keptreads.h"

#include <string.h>

static bool SameStamp(const FileStamp *a, const FileStamp *b)
{
    return a->exists == b->exists && a->lastWrite == b->lastWrite && a->size == b->size;
}

static bool SameRead(const KeptRead *read, const char *section, const char *key,
                     const char *defaultText, size_t size)
{
    return read->size == size && strcmp(read->section, section) == 0 &&
           strcmp(read->key, key) == 0 && strcmp(read->defaultText, defaultText) == 0;
}

static const KeptRead *FindKept(const KeptReads *kept, const char *section, const char *key,
                            const char *defaultText, size_t size)
{
    for (int i = 0; i < kept->count; i++) {
        if (SameRead(&kept->reads[i], section, key, defaultText, size))
            return &kept->reads[i];
    }
    return nullptr;
}

bool FindKeptRead(const KeptReads *kept, const FileStamp *now, const char *section,
                  const char *key, const char *defaultText, char *buffer, size_t size,
                  unsigned long *count)
{
    if (kept->count == 0 || !SameStamp(&kept->stamp, now) || section == nullptr ||
        key == nullptr || defaultText == nullptr)
        return false;
    const KeptRead *read = FindKept(kept, section, key, defaultText, size);
    if (read == nullptr)
        return false;
    memcpy(buffer, read->value, read->count + 1);
    *count = read->count;
    return true;
}

static bool Fits(const char *text)
{
    return text != nullptr && strlen(text) < kKeptNameSize;
}

// A file written less than a tick before the read could be written again with the same time.
static bool OldEnough(const FileStamp *stamp, uint64_t readTime)
{
    return !stamp->exists ||
           (readTime >= stamp->lastWrite && readTime - stamp->lastWrite >= kFileTimeTick);
}

void KeepRead(KeptReads *kept, const FileStamp *stamp, uint64_t readTime, const char *section,
              const char *key, const char *defaultText, const char *value, size_t size,
              unsigned long count)
{
    if (!SameStamp(&kept->stamp, stamp)) {
        ForgetReads(kept);
        kept->stamp = *stamp;
    }
    if (!OldEnough(stamp, readTime) || !Fits(section) || !Fits(key) || !Fits(defaultText) ||
        size == 0 || size > kKeptValueSize || count >= size)
        return;
    KeptRead *read = const_cast<KeptRead *>(FindKept(kept, section, key, defaultText, size));
    if (read == nullptr && kept->count < kKeptReads)
        read = &kept->reads[kept->count++];
    if (read == nullptr) {
        read = &kept->reads[kept->next];
        kept->next = (kept->next + 1) % kKeptReads;
    }
    strcpy(read->section, section);
    strcpy(read->key, key);
    strcpy(read->defaultText, defaultText);
    read->size = size;
    read->count = count;
    memcpy(read->value, value, count);
    read->value[count] = '\0';
}

void ForgetReads(KeptReads *kept)
{
    kept->count = 0;
    kept->next = 0;
}
