// The native test process's memory in use, for leak checks that count bytes.
#pragma once

#include <cstddef>

#include <malloc.h>

// The sanitizers' allocators keep their own books, which mallinfo2 does not see.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Part of every sanitizer run-time library; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// Bytes allocated and not yet freed: glibc's books, or the sanitizer
// allocator's under ASan and TSan, where mallinfo2 answers 0.
inline size_t memoryInUse() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
#endif
}
