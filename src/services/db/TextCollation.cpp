#include "TextCollation.h"

#include "GbkTable.h"

#include <QtGlobal>
#include <algorithm>

namespace tavi::db {

namespace {

// Decodes one UTF-8 sequence; malformed bytes read as themselves.
uint32_t nextCodePoint(std::string_view s, size_t &i)
{
    const auto c0 = uchar(s[i]);
    auto cont = [&](size_t k) { return i + k < s.size() && (uchar(s[i + k]) & 0xC0) == 0x80; };
    if (c0 < 0x80) {
        ++i;
        return c0;
    }
    if ((c0 & 0xE0) == 0xC0 && cont(1)) {
        const uint32_t cp = ((c0 & 0x1F) << 6) | (uchar(s[i + 1]) & 0x3F);
        i += 2;
        return cp;
    }
    if ((c0 & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        const uint32_t cp =
            ((c0 & 0x0F) << 12) | ((uchar(s[i + 1]) & 0x3F) << 6) | (uchar(s[i + 2]) & 0x3F);
        i += 3;
        return cp;
    }
    if ((c0 & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
        const uint32_t cp = ((c0 & 0x07) << 18) | ((uchar(s[i + 1]) & 0x3F) << 12) |
                            ((uchar(s[i + 2]) & 0x3F) << 6) | (uchar(s[i + 3]) & 0x3F);
        i += 4;
        return cp;
    }
    ++i;
    return c0;
}

}  // namespace

void TextCollation::appendKey(std::string_view utf8, std::string &out)
{
    // A key is at most four times the UTF-8 length (a stray byte may take four key bytes).
    const size_t start = out.size();
    out.resize(start + utf8.size() * 4);
    char *p = out.data() + start;
    const auto &table = kGbkCodes;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = uchar(utf8[i]);
        if (c < 0x80) {
            *p++ = char(c >= 'a' && c <= 'z' ? c - 32 : c);
            ++i;
            continue;
        }
        const uint32_t cp = nextCodePoint(utf8, i);
        const uint16_t g = cp < 0x10000 ? table[cp] : 0;
        if (g != 0) {
            *p++ = char(g >> 8);
            *p++ = char(g & 0xFF);
        } else {
            // After every GBK lead byte (at most 0xFE).
            *p++ = char(0xFF);
            *p++ = char((cp >> 16) & 0xFF);
            *p++ = char((cp >> 8) & 0xFF);
            *p++ = char(cp & 0xFF);
        }
    }
    out.resize(size_t(p - out.data()));
}

TextCollation::Prefix TextCollation::prefix(std::string_view utf8, bool *whole)
{
    unsigned char key[20] = {};
    size_t n = 0;
    size_t i = 0;
    const auto &table = kGbkCodes;
    while (i < utf8.size() && n < 16) {
        const auto c = uchar(utf8[i]);
        if (c < 0x80) {
            key[n++] = uchar(c >= 'a' && c <= 'z' ? c - 32 : c);
            ++i;
            continue;
        }
        const uint32_t cp = nextCodePoint(utf8, i);
        const uint16_t g = cp < 0x10000 ? table[cp] : 0;
        if (g != 0) {
            key[n++] = uchar(g >> 8);
            key[n++] = uchar(g & 0xFF);
        } else {
            key[n++] = 0xFF;
            key[n++] = uchar((cp >> 16) & 0xFF);
            key[n++] = uchar((cp >> 8) & 0xFF);
            key[n++] = uchar(cp & 0xFF);
        }
    }
    if (whole) {
        // A NUL character would read as the padding after a shorter text.
        *whole = i == utf8.size() && n <= 16 &&
                 std::find(key, key + n, static_cast<unsigned char>(0)) == key + n;
    }
    Prefix p;
    for (size_t k = 0; k < 8; ++k) {
        p.hi = (p.hi << 8) | key[k];
        p.lo = (p.lo << 8) | key[k + 8];
    }
    return p;
}

int TextCollation::compare(std::string_view a, std::string_view b)
{
    // Character by character on left-aligned weights, which orders exactly as the byte keys
    // do: a key's first byte fixes how many bytes the character takes.
    const auto &table = kGbkCodes;
    const auto weight = [&table](std::string_view s, size_t &i) -> uint32_t {
        const auto c = uchar(s[i]);
        if (c < 0x80) {
            ++i;
            return uint32_t(c >= 'a' && c <= 'z' ? c - 32 : c) << 24;
        }
        const uint32_t cp = nextCodePoint(s, i);
        const uint16_t g = cp < 0x10000 ? table[cp] : 0;
        return g != 0 ? uint32_t(g) << 16 : 0xFF000000u | (cp & 0xFFFFFF);
    };
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = weight(a, i);
        const uint32_t y = weight(b, j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

}  // namespace tavi::db
