#pragma once

#include <QChar>
#include <QString>
#include <vector>

namespace tavi {

/// One piece of a date-time pattern: a run of one pattern letter, an AM/PM marker, or literal
/// text (quoted, escaped or any other character), adjacent literals joined.
struct DatePatternRun
{
    enum class Kind
    {
        Literal,
        Letter,
        AmPm,
    };
    Kind kind = Kind::Literal;
    /// The letter of a run, in lower case.
    QChar letter;
    int count = 0;
    /// Literal text, or the AM/PM marker as written.
    QString text;
};

/// Reads date-time patterns into runs; the display formats and the SQL format function read
/// the same pattern language and differ only in their letters and literal marks.
class DatePatternReader
{
public:
    struct Syntax
    {
        /// Pattern letters, lower case; other characters are literal.
        QString letters;
        /// Characters that open and close a quoted literal.
        QString quotes;
        /// A backslash takes the next character literally.
        bool backslashEscapes = false;
    };

    static std::vector<DatePatternRun> read(const QString &pattern, const Syntax &syntax);
};

}  // namespace tavi
