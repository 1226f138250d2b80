// %NAME% expansion with Windows' return convention, over any variable lookup.
#pragma once

#include <cstdint>

namespace launcher {

// Returns the value of variable `name` (`length` characters, not
// terminated), or nullptr when it is undefined.
using VariableLookup = const char* (*)(void* context, const char* name, std::uint32_t length);

// Replaces each %NAME% whose variable is defined by its value; a reference
// to an undefined variable, an empty %% and a lone % stay as they are.
// Returns the result's length including its terminator, which is larger
// than `size` when it does not fit (then `buffer` holds a cut prefix).
std::uint32_t ExpandReferences(const char* source, char* buffer, std::uint32_t size,
                               VariableLookup lookup, void* context);

}  // namespace launcher
