#include "ExcelNumberFormat.h"

#include "DatePatternReader.h"

#include <QStringList>

namespace tavi {

namespace {

// Literal text always goes in quotes: the spreadsheet would read letters, digits and "%" as codes.
// A quote mark itself cannot stand inside quotes and is escaped between them.
void appendLiteral(QString &out, const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('"'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += QStringLiteral("\\\"");
        if (!parts[i].isEmpty())
            out += QLatin1Char('"') + parts[i] + QLatin1Char('"');
    }
}

bool isNumberCode(QChar c)
{
    return c == u'0' || c == u'#' || c == u',' || c == u'.' || c == u';';
}

QString numberFormat(const QString &pattern)
{
    QString out;
    QString literal;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype close = pattern.indexOf(c, i + 1);
            literal += pattern.mid(i + 1, close < 0 ? -1 : close - i - 1);
            i = close < 0 ? pattern.size() : close;
            continue;
        }
        const bool exponent = (c == u'E' || c == u'e') && i + 1 < pattern.size() &&
                              (pattern[i + 1] == u'+' || pattern[i + 1] == u'-');
        if (!isNumberCode(c) && !exponent) {
            literal += c;
            continue;
        }
        appendLiteral(out, literal);
        literal.clear();
        if (exponent) {
            out += QLatin1Char('E');
            out += pattern[++i];
        } else {
            out += c;
        }
    }
    appendLiteral(out, literal);
    return out;
}

QString repeated(char letter, int count)
{
    return QString(count, QLatin1Char(letter));
}

QString dateFormat(const QString &pattern)
{
    static const DatePatternReader::Syntax syntax{QStringLiteral("ymdhnsz"), QStringLiteral("\"'"),
                                                  false};
    // Chinese month and weekday names and 上午/下午 need the Chinese locale code in front.
    bool chinese = false;
    QString out;
    for (const DatePatternRun &run : DatePatternReader::read(pattern, syntax)) {
        switch (run.kind) {
        case DatePatternRun::Kind::Literal:
            appendLiteral(out, run.text);
            break;
        case DatePatternRun::Kind::AmPm:
            chinese = chinese || run.text.size() == 4;
            out += run.text.size() == 3 ? QStringLiteral("A/P") : QStringLiteral("AM/PM");
            break;
        case DatePatternRun::Kind::Letter:
            switch (run.letter.unicode()) {
            case 'y':
                out += run.count <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
                break;
            case 'm':
                if (run.count == 3) {
                    out += QLatin1Char('m');
                    appendLiteral(out, QStringLiteral("月"));
                } else if (run.count >= 4) {
                    chinese = true;
                    out += QStringLiteral("mmmm");
                } else {
                    out += repeated('m', run.count);
                }
                break;
            case 'n':
                // The spreadsheet reads minutes as "m" next to an hour or seconds, as the grid
                // does.
                out += repeated('m', qMin(run.count, 2));
                break;
            case 'd':
                if (run.count == 3) {
                    chinese = true;
                    appendLiteral(out, QStringLiteral("周"));
                    out += QStringLiteral("aaa");
                } else if (run.count >= 4) {
                    chinese = true;
                    out += QStringLiteral("aaaa");
                } else {
                    out += repeated('d', run.count);
                }
                break;
            case 'h':
                out += repeated('h', qMin(run.count, 2));
                break;
            case 's':
                out += repeated('s', qMin(run.count, 2));
                break;
            case 'z':
                out += QStringLiteral("000");
                break;
            default:
                break;
            }
            break;
        }
    }
    return chinese ? QStringLiteral("[$-804]") + out : out;
}

}  // namespace

QString ExcelNumberFormat::fromDisplayFormat(const QString &pattern, bool dateTime)
{
    if (pattern.isEmpty())
        return QStringLiteral("@");
    return dateTime ? dateFormat(pattern) : numberFormat(pattern);
}

}  // namespace tavi
