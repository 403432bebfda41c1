#pragma once

#include "ansi_text.h"

#include <ostream>

// Lets GoogleTest print a TextEncoding by name.
inline void PrintTo(TextEncoding encoding, std::ostream* out)
{
    static const char* const names[] = {"Cp932", "Utf8", "Utf8WithBom"};
    *out << names[static_cast<int>(encoding)];
}
