// Bounded text composition: nothing is ever written past a buffer.
#pragma once

#include <cstddef>

namespace launcher {

// Formats into `buffer` like printf, with %s, %x and %% only. False when
// the result does not fit
// in `capacity` bytes (the buffer then holds an empty text).
bool FormatText(char* buffer, std::size_t capacity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Copies `source` into `buffer`. False when it does not fit (the buffer
// then holds an empty text).
bool CopyText(char* buffer, std::size_t capacity, const char* source);

bool TextEquals(const char* a, const char* b);

}  // namespace launcher
