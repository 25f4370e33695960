#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavi::db {

/// Order of texts in sorts and filters: letter case ignored, Chinese characters in the order of
/// the GBK code page (which puts the common characters in pinyin order, as users of the host
/// system know them), other characters by code point after those.
class TextCollation
{
public:
    /// Appends the byte key of a UTF-8 text; keys compare with plain byte comparison.
    static void appendKey(std::string_view utf8, std::string &out);
    static std::string key(std::string_view utf8)
    {
        std::string k;
        appendKey(utf8, k);
        return k;
    }
    /// The first sixteen key bytes: texts whose prefixes differ compare as these do.
    struct Prefix
    {
        uint64_t hi = 0;
        uint64_t lo = 0;
        auto operator<=>(const Prefix &) const = default;
    };
    /// `whole`, when given, tells whether the prefix holds the text's entire key (then two texts
    /// with equal whole prefixes compare equal).
    static Prefix prefix(std::string_view utf8, bool *whole = nullptr);
    /// Negative, zero or positive as `a` orders before, with or after `b`.
    static int compare(std::string_view a, std::string_view b);
};

}  // namespace tavi::db
