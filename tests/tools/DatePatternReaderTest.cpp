#include "tools/DatePatternReader.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace tavi {
namespace {

struct ReaderCase
{
    const char *pattern;
    bool jet;
    // Runs written as "y4", "'text'" for literals and "<AM/PM>" for markers.
    const char *runs;
};

QString describe(const std::vector<DatePatternRun> &runs)
{
    QStringList out;
    for (const DatePatternRun &r : runs) {
        switch (r.kind) {
        case DatePatternRun::Kind::Literal:
            out << u'\'' + r.text + u'\'';
            break;
        case DatePatternRun::Kind::AmPm:
            out << u'<' + r.text + u'>';
            break;
        case DatePatternRun::Kind::Letter:
            out << QString(r.letter) + QString::number(r.count);
            break;
        }
    }
    return out.join(u' ');
}

class DatePatternReaderTest : public ::testing::TestWithParam<ReaderCase>
{};

TEST_P(DatePatternReaderTest, ReadsRunsLiteralsAndMarkers)
{
    const ReaderCase &c = GetParam();
    const DatePatternReader::Syntax syntax =
        c.jet ? DatePatternReader::Syntax{QStringLiteral("ymdhnsqwct"), QStringLiteral("\""), true}
              : DatePatternReader::Syntax{QStringLiteral("ymdhnsz"), QStringLiteral("\"'"), false};
    EXPECT_EQ(describe(DatePatternReader::read(QString::fromUtf8(c.pattern), syntax)),
              QString::fromUtf8(c.runs));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatePatternReaderTest,
    ::testing::Values(ReaderCase{"yyyy-MM-dd HH:nn", false, "y4 '-' m2 '-' d2 ' ' h2 ':' n2"},
                      ReaderCase{"yyyy\"年\"m'月'", false, "y4 '年' m1 '月'"},
                      ReaderCase{"hh AM/PM a/p ampm", false, "h2 ' ' <AM/PM> ' ' <a/p> ' ' <ampm>"},
                      ReaderCase{"\\d\\\\q \"c", true, "'d\\' q1 ' c'"},
                      ReaderCase{"ww ttttt z", true, "w2 ' ' t5 ' z'"},
                      ReaderCase{"'y'", true, "''' y1 '''"}, ReaderCase{"yyyy\\", true, "y4 ''"}));

}  // namespace
}  // namespace tavi
