#pragma once

#include "tools/Variant.h"

#include <ostream>

namespace tavi {

// Readable variants in GoogleTest messages: type and text.
inline void PrintTo(const Variant &v, std::ostream *os)
{
    static const char *const names[] = {"Empty", "Null",   "Byte",     "Int", "UInt",
                                        "Int64", "Double", "DateTime", "Text"};
    *os << names[static_cast<int>(v.type())] << '(';
    if (v.type() == Variant::Type::DateTime)
        *os << v.toDouble();
    else
        *os << v.toString().toStdString();
    *os << ')';
}

}  // namespace tavi
