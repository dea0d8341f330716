#pragma once
// libxml2's allocations counted while one lives: libxml2's memory functions
// forward to the C library's and note each block given and taken back, and
// the bytes they hold (as the C library rounds them), with the most held
// at once since the count began.

#include <libxml/xmlmemory.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace xmltest {

class LibxmlMemory {
public:
    LibxmlMemory() {
        xmlMemGet(&m_free, &m_malloc, &m_realloc, &m_strdup);
        s_blocks = 0;
        s_bytes = 0;
        s_peakBytes = 0;
        xmlMemSetup(Free, Malloc, Realloc, Strdup);
    }
    ~LibxmlMemory() { xmlMemSetup(m_free, m_malloc, m_realloc, m_strdup); }
    LibxmlMemory(const LibxmlMemory&) = delete;
    LibxmlMemory& operator=(const LibxmlMemory&) = delete;

    // Blocks and bytes given since the count began and not yet taken back
    // (blocks given before and freed since count against them).
    static long Blocks() { return s_blocks; }
    static long Bytes() { return s_bytes; }
    static long PeakBytes() { return s_peakBytes; }

private:
    static void Took(void* block) {
        ++s_blocks;
        Add(static_cast<long>(malloc_usable_size(block)));
    }
    static void Add(long bytes) {
        const long now = s_bytes += bytes;
        long peak = s_peakBytes;
        while (now > peak && !s_peakBytes.compare_exchange_weak(peak, now)) {
        }
    }
    static void* Malloc(size_t n) {
        void* block = std::malloc(n);
        if (block) Took(block);
        return block;
    }
    static void* Realloc(void* p, size_t n) {
        const long before = p ? static_cast<long>(malloc_usable_size(p)) : 0;
        void* block = std::realloc(p, n);
        if (!block) return nullptr;
        if (!p) ++s_blocks;
        Add(static_cast<long>(malloc_usable_size(block)) - before);
        return block;
    }
    static char* Strdup(const char* s) {
        char* copy = ::strdup(s);
        if (copy) Took(copy);
        return copy;
    }
    static void Free(void* p) {
        if (!p) return;
        --s_blocks;
        Add(-static_cast<long>(malloc_usable_size(p)));
        std::free(p);
    }
    static inline std::atomic<long> s_blocks{0}, s_bytes{0}, s_peakBytes{0};
    xmlFreeFunc m_free;
    xmlMallocFunc m_malloc;
    xmlReallocFunc m_realloc;
    xmlStrdupFunc m_strdup;
};

}  // namespace xmltest
