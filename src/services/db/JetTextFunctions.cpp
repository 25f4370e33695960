#include "JetFunctionFamilies.h"

#include <QList>
#include <QString>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

namespace tavi::db::jet {

namespace {

void fnIsNull(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

bool lengthArg(sqlite3_context *ctx, sqlite3_value *v, const char *what, qint64 *out)
{
    if (!integerArg(ctx, v, out))
        return false;
    if (*out < 0) {
        fail(ctx, QByteArray(what) + " must be 0 or more, not " + describe(v));
        return false;
    }
    return true;
}

void fnLeft(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!lengthArg(ctx, argv[1], "the length", &n))
        return;
    const std::string s = textOf(argv[0]);
    resultText(ctx, std::string_view(s).substr(0, byteOffset(s, n)));
}

void fnRight(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!lengthArg(ctx, argv[1], "the length", &n))
        return;
    const std::string s = textOf(argv[0]);
    const qint64 skip = std::max<qint64>(charCount(s) - n, 0);
    resultText(ctx, std::string_view(s).substr(byteOffset(s, skip)));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 start = 0;
    qint64 length = -1;
    if (!integerArg(ctx, argv[1], &start) ||
        (argc > 2 && !lengthArg(ctx, argv[2], "the length", &length)))
        return;
    if (start < 1) {
        fail(ctx, "the start must be 1 or more, not " + describe(argv[1]));
        return;
    }
    const std::string s = textOf(argv[0]);
    const std::string_view rest = std::string_view(s).substr(byteOffset(s, start - 1));
    resultText(ctx, length < 0 ? rest : rest.substr(0, byteOffset(rest, length)));
}

void fnLen(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, charCount(textOf(argv[0])));
}

void fnUCase(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, qtextOf(argv[0]).toUpper());
}

void fnLCase(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, qtextOf(argv[0]).toLower());
}

// Compare mode: 0 binary, 1 text, 2 "as the database compares", which in Access ignores case.
bool compareArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index,
                Qt::CaseSensitivity *out)
{
    *out = Qt::CaseInsensitive;
    if (argc <= index)
        return true;
    qint64 mode = 0;
    if (!integerArg(ctx, argv[index], &mode))
        return false;
    if (mode < 0 || mode > 2) {
        fail(ctx, "the compare mode must be 0, 1 or 2, not " + describe(argv[index]));
        return false;
    }
    *out = mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return true;
}

// instr(s1, s2) or instr(start, s1, s2[, compare]).
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 start = 1;
    const int first = argc == 2 ? 0 : 1;
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if ((first == 1 && !integerArg(ctx, argv[0], &start)) || !compareArg(ctx, argc, argv, 3, &cs))
        return;
    if (start < 1) {
        fail(ctx, "the start must be 1 or more, not " + describe(argv[0]));
        return;
    }
    const QString haystack = qtextOf(argv[first]);
    const QString needle = qtextOf(argv[first + 1]);
    const std::string utf8 = textOf(argv[first]);
    if (start > charCount(utf8)) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const qsizetype from =
        QString::fromUtf8(utf8.data(), qsizetype(byteOffset(utf8, start - 1))).size();
    const qsizetype found = haystack.indexOf(needle, from, cs);
    sqlite3_result_int64(ctx, found < 0 ? 0 : charsBefore(haystack, found) + 1);
}

void fnStrComp(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (!compareArg(ctx, argc, argv, 2, &cs))
        return;
    const int c = QString::compare(qtextOf(argv[0]), qtextOf(argv[1]), cs);
    sqlite3_result_int(ctx, c < 0 ? -1 : c > 0 ? 1 : 0);
}

void resultRepeated(sqlite3_context *ctx, qint64 count, std::string_view unit)
{
    if (count * qint64(unit.size()) > maxTextLength(ctx)) {
        sqlite3_result_error_toobig(ctx);
        return;
    }
    std::string s;
    s.reserve(size_t(count) * unit.size());
    for (qint64 i = 0; i < count; ++i)
        s += unit;
    resultText(ctx, s);
}

void fnSpace(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (lengthArg(ctx, argv[0], "the count", &n))
        resultRepeated(ctx, n, " ");
}

// string(n, c): c is a text, of which the first character repeats, or a character code.
void fnString(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 n = 0;
    if (!lengthArg(ctx, argv[0], "the count", &n))
        return;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const std::string_view s = textView(argv[1]);
        if (s.empty()) {
            fail(ctx, "the character must not be empty");
            return;
        }
        resultRepeated(ctx, n, s.substr(0, byteOffset(s, 1)));
        return;
    }
    qint64 code = 0;
    if (!integerArg(ctx, argv[1], &code))
        return;
    if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        fail(ctx, describe(argv[1]) + " is not a character code");
        return;
    }
    const char32_t c = char32_t(code);
    const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
    resultRepeated(ctx, n, std::string_view(utf8.constData(), size_t(utf8.size())));
}

bool convertArg(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    if (toNumber(v, out, true))
        return true;
    fail(ctx, "type mismatch, " + describe(v) + " is not a number");
    return false;
}

void fnCStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, textOf(argv[0]));
}

template <qint64 Min, qint64 Max>
void fnCInteger(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    double d = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!convertArg(ctx, argv[0], &d))
        return;
    const double r = roundHalfEven(d);
    if (!(r >= double(Min) && r <= double(Max))) {
        fail(ctx, "overflow, " + describe(argv[0]) + " is outside " + QByteArray::number(Min) +
                      ".." + QByteArray::number(Max));
        return;
    }
    sqlite3_result_int64(ctx, qint64(r));
}

void fnCDbl(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    double d = 0;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (convertArg(ctx, argv[0], &d))
        sqlite3_result_double(ctx, d);
}

void fnCBool(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const QByteArray word = QByteArray::fromStdString(textOf(argv[0])).trimmed().toLower();
        if (word == "true" || word == "false") {
            sqlite3_result_int(ctx, word == "true" ? -1 : 0);
            return;
        }
    }
    double d = 0;
    if (convertArg(ctx, argv[0], &d))
        sqlite3_result_int(ctx, d != 0 ? -1 : 0);
}

// int and fix of a date keep a date, as Int(Now()) is the Access idiom for today.
template <double (*Whole)(double)>
void fnWhole(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    Moment m;
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && parseMoment(textView(argv[0]), &m)) {
        Moment whole;
        momentFromSerial(Whole(serialOf(m)), &whole);
        resultDate(ctx, whole);
        return;
    }
    double d = 0;
    if (convertArg(ctx, argv[0], &d))
        resultNumber(ctx, Whole(d));
}

double floorOf(double d)
{
    return std::floor(d);
}

double truncOf(double d)
{
    return std::trunc(d);
}

// The number at the start of a text, blanks anywhere ignored, 0 when there is none.
void fnVal(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    std::string compact;
    for (const char c : textView(argv[0])) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            compact += c;
    }
    size_t p = 0;
    std::string number;
    if (p < compact.size() && (compact[p] == '-' || compact[p] == '+'))
        number += compact[p++];
    auto digits = [&] {
        bool any = false;
        while (p < compact.size() && compact[p] >= '0' && compact[p] <= '9') {
            number += compact[p++];
            any = true;
        }
        return any;
    };
    bool any = digits();
    if (p < compact.size() && compact[p] == '.') {
        number += compact[p++];
        any = digits() || any;
    }
    if (any && p < compact.size() &&
        (compact[p] == 'e' || compact[p] == 'E' || compact[p] == 'd' || compact[p] == 'D')) {
        const size_t mark = p;
        std::string exponent = "e";
        ++p;
        if (p < compact.size() && (compact[p] == '-' || compact[p] == '+'))
            exponent += compact[p++];
        const size_t digitsStart = p;
        while (p < compact.size() && compact[p] >= '0' && compact[p] <= '9')
            exponent += compact[p++];
        if (p > digitsStart)
            number += exponent;
        else
            p = mark;
    }
    double value = 0;
    if (any)
        parseNumberText(number, &value);
    resultNumber(ctx, value);
}

}  // namespace

std::span<const Function> textFunctions()
{
    static const Function functions[] = {
        {"jet_isnull", "isnull", 1, fnIsNull, true},
        {"nz", "nz", 1, fnNz, true},
        {"nz", "nz", 2, fnNz, true},
        {"jet_left", "left", 2, fnLeft, true},
        {"jet_right", "right", 2, fnRight, true},
        {"mid", "mid", 2, fnMid, true},
        {"mid", "mid", 3, fnMid, true},
        {"len", "len", 1, fnLen, true},
        {"ucase", "ucase", 1, fnUCase, true},
        {"lcase", "lcase", 1, fnLCase, true},
        {"instr", "instr", 2, fnInStr, true},
        {"instr", "instr", 3, fnInStr, true},
        {"instr", "instr", 4, fnInStr, true},
        {"strcomp", "strcomp", 2, fnStrComp, true},
        {"strcomp", "strcomp", 3, fnStrComp, true},
        {"space", "space", 1, fnSpace, true},
        {"string", "string", 2, fnString, true},
        {"cstr", "cstr", 1, fnCStr, true},
        {"cint", "cint", 1, fnCInteger<-32768, 32767>, true},
        {"clng", "clng", 1, fnCInteger<-2147483648LL, 2147483647LL>, true},
        {"cdbl", "cdbl", 1, fnCDbl, true},
        {"cbool", "cbool", 1, fnCBool, true},
        {"int", "int", 1, fnWhole<floorOf>, true},
        {"fix", "fix", 1, fnWhole<truncOf>, true},
        {"val", "val", 1, fnVal, true},
    };
    return functions;
}

}  // namespace tavi::db::jet
