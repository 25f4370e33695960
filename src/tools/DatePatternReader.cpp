#include "DatePatternReader.h"

namespace tavi {

std::vector<DatePatternRun> DatePatternReader::read(const QString &pattern, const Syntax &syntax)
{
    using Kind = DatePatternRun::Kind;
    std::vector<DatePatternRun> runs;
    const auto literal = [&runs](QStringView text) {
        if (runs.empty() || runs.back().kind != Kind::Literal)
            runs.push_back({Kind::Literal, QChar(), 0, QString()});
        runs.back().text += text;
    };
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (syntax.backslashEscapes && c == u'\\') {
            literal(QStringView(pattern).mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (syntax.quotes.contains(c)) {
            const qsizetype close = pattern.indexOf(c, i + 1);
            literal(QStringView(pattern).mid(i + 1, close < 0 ? -1 : close - i - 1));
            i = close < 0 ? pattern.size() : close + 1;
            continue;
        }
        bool marker = false;
        for (const char *m : {"am/pm", "ampm", "a/p"}) {
            const QLatin1String word(m);
            if (pattern.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0) {
                runs.push_back({Kind::AmPm, QChar(), 0, pattern.mid(i, word.size())});
                i += word.size();
                marker = true;
                break;
            }
        }
        if (marker)
            continue;
        const QChar letter = c.toLower();
        if (!syntax.letters.contains(letter)) {
            literal(QStringView(pattern).mid(i, 1));
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < pattern.size() && pattern[end].toLower() == letter)
            ++end;
        runs.push_back({Kind::Letter, letter, int(end - i), QString()});
        i = end;
    }
    return runs;
}

}  // namespace tavi
