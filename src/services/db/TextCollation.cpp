#include "TextCollation.h"

#include <QStringConverter>
#include <array>
#include <memory>

namespace tavi::db {

namespace {

// GBK code of every BMP character (0 where GBK has none), built once on first use.
const std::array<uint16_t, 65536> &gbkTable()
{
    static const std::unique_ptr<std::array<uint16_t, 65536>> table = [] {
        auto t = std::make_unique<std::array<uint16_t, 65536>>();
        t->fill(0);
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        for (uint32_t cp = 0x80; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp < 0xE000)
                continue;
            const QChar c{char16_t(cp)};
            const QByteArray b = encoder.encode(QStringView(&c, 1));
            if (b.size() == 2 && uchar(b[0]) >= 0x81)
                (*t)[cp] = uint16_t((uchar(b[0]) << 8) | uchar(b[1]));
        }
        return t;
    }();
    return *table;
}

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
    out.reserve(out.size() + utf8.size() + 2);
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = uchar(utf8[i]);
        if (c < 0x80) {
            out.push_back(char(c >= 'a' && c <= 'z' ? c - 32 : c));
            ++i;
            continue;
        }
        const uint32_t cp = nextCodePoint(utf8, i);
        const uint16_t g = cp < 0x10000 ? gbkTable()[cp] : 0;
        if (g != 0) {
            out.push_back(char(g >> 8));
            out.push_back(char(g & 0xFF));
        } else {
            // After every GBK lead byte (at most 0xFE).
            out.push_back(char(0xFF));
            out.push_back(char((cp >> 16) & 0xFF));
            out.push_back(char((cp >> 8) & 0xFF));
            out.push_back(char(cp & 0xFF));
        }
    }
}

int TextCollation::compare(std::string_view a, std::string_view b)
{
    std::string ka;
    std::string kb;
    appendKey(a, ka);
    appendKey(b, kb);
    return ka.compare(kb);
}

}  // namespace tavi::db
