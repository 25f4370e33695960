// Writes the GBK code of every BMP character as a C++ array, so the text collation reads a
// constant table instead of asking the converter for 65,536 characters in every process.
#include <QFile>
#include <QStringConverter>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp\n", argv[0]);
        return 2;
    }
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        std::fprintf(stderr, "no GBK converter\n");
        return 1;
    }
    QByteArray out =
        "// Generated at build time by GbkTableGenerator; do not edit.\n"
        "#include \"services/db/GbkTable.h\"\n\n"
        "namespace tavi::db {\n\nconst uint16_t kGbkCodes[65536] = {\n";
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
        uint16_t code = 0;
        if (cp >= 0x80 && (cp < 0xD800 || cp >= 0xE000)) {
            const QChar c{char16_t(cp)};
            const QByteArray b = encoder.encode(QStringView(&c, 1));
            if (b.size() == 2 && uchar(b[0]) >= 0x81)
                code = uint16_t((uchar(b[0]) << 8) | uchar(b[1]));
        }
        out += QByteArray::number(code);
        out += (cp % 16 == 15) ? ",\n" : ",";
    }
    out += "};\n\n}  // namespace tavi::db\n";
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
