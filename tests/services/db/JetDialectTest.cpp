#include "services/db/JetDialect.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using tavi::db::JetDialect;

namespace {

struct DialectCase
{
    const char *jet;
    const char *sqlite;  // statements joined by " ;; "
};

class JetDialectTranslate : public ::testing::TestWithParam<DialectCase>
{};

TEST_P(JetDialectTranslate, RewritesOutsideLiteralsOnly)
{
    const DialectCase &c = GetParam();
    EXPECT_EQ(JetDialect::translate(QString::fromUtf8(c.jet)).join(QStringLiteral(" ;; ")),
              QString::fromUtf8(c.sqlite));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JetDialectTranslate,
    ::testing::Values(
        DialectCase{"select * from t where rq between #12-01-2026 00:00:00# and #12-31-2026 "
                    "23:59:59#",
                    "select * from t where rq COLLATE NOCASE between '2026-12-01 00:00:00' and "
                    "'2026-12-31 23:59:59'"},
        DialectCase{"select a & 'x&y' & \"q'\" from t", "select jet_concat(a,'x&y','q''') from t"},
        DialectCase{
            "select (a & b) & c + 1 as x, f(a&b) from t where n & '' = 'x'",
            "select jet_concat((jet_concat(a,b)),jet_plus(c,1)) as x, f(jet_concat(a,b)) from t "
            "where jet_concat(n,'') COLLATE NOCASE = 'x'"},
        DialectCase{"select '#1/1/2000#', [my col] from [t] where f = true or g = False",
                    "select '#1/1/2000#', [my col] from [t] where f = -1 or g = 0"},
        DialectCase{"select left(a,2), Right (b, 1), isnull(c) from t left join u on t.x=u.x",
                    "select jet_left(a,2), jet_right (b, 1), jet_isnull(c) from t left join u on "
                    "t.x COLLATE NOCASE =u.x"},
        DialectCase{"select top 10 * from t order by a;", "select * from t order by a LIMIT 10"},
        DialectCase{"select distinct top 3 a from t", "select distinct a from t LIMIT 3"},
        DialectCase{"create table t(id counter PRIMARY KEY, s varchar(50), m Text, n int)",
                    "create table t(id INTEGER PRIMARY KEY AUTOINCREMENT, s varchar(50) COLLATE "
                    "NOCASE, m Text COLLATE NOCASE, n int)"},
        DialectCase{
            "create table t(id int IDENTITY (1, 1) PRIMARY KEY, b bit)",
            "create table t(id INTEGER PRIMARY KEY AUTOINCREMENT, b bit) ;; CREATE TRIGGER "
            "IF NOT EXISTS \"tavi_bool_t_b_i\" AFTER INSERT ON \"t\" WHEN NEW.\"b\" IS NOT "
            "NULL AND NEW.\"b\" NOT IN (0, -1) BEGIN UPDATE \"t\" SET \"b\" = CASE WHEN "
            "NEW.\"b\" THEN -1 ELSE 0 END WHERE rowid = NEW.rowid; END ;; CREATE TRIGGER IF "
            "NOT EXISTS \"tavi_bool_t_b_u\" AFTER UPDATE OF \"b\" ON \"t\" WHEN NEW.\"b\" "
            "IS NOT NULL AND NEW.\"b\" NOT IN (0, -1) BEGIN UPDATE \"t\" SET \"b\" = CASE "
            "WHEN NEW.\"b\" THEN -1 ELSE 0 END WHERE rowid = NEW.rowid; END"},
        DialectCase{"Alter table ReportList add Type int",
                    "ALTER TABLE ReportList ADD COLUMN Type int"},
        DialectCase{"alter table a add x varchar(5), y int; update a set y=1",
                    "ALTER TABLE a ADD COLUMN x varchar(5) COLLATE NOCASE ;; ALTER TABLE a ADD "
                    "COLUMN y int ;; update a set y=1"},
        DialectCase{"select 1 -- a & b\n, 2 /* #x# */", "select 1 -- a & b\n, 2 /* #x# */"},
        DialectCase{"select * from t where a<>'&' and b>=#2026/1/2#",
                    "select * from t where a COLLATE NOCASE <>'&' and b COLLATE NOCASE "
                    ">='2026-01-02 00:00:00'"},
        // Comparisons ignore letter case, but not assignments, numbers or an explicit collation.
        DialectCase{"update t set a = 'x', b = (select c from u where u.d = t.e) where f not in "
                    "('a') and g not between 'a' and 'b' and h collate binary = 'X' and i = 3 "
                    "and -1 = j",
                    "update t set a = 'x', b = (select c from u where u.d COLLATE NOCASE = t.e) "
                    "where f COLLATE NOCASE not in ('a') and g COLLATE NOCASE not between 'a' and "
                    "'b' and h collate binary = 'X' and i = 3 and -1 = j"},
        DialectCase{"select a - b + c * (d + e), -1 + 2 from t where x+y>3",
                    "select jet_plus(a - b,c * (jet_plus(d,e))), jet_plus(-1,2) from t where "
                    "jet_plus(x,y)>3"},
        DialectCase{"update t set n = n + 1 where +k = 2",
                    "update t set n = jet_plus(n,1) where +k = 2"},
        DialectCase{"  ", ""}));

TEST(JetDialectDates, ReadsJetDateTexts)
{
    EXPECT_EQ(JetDialect::dateLiteral(QStringLiteral("2-29-2024 7:05:09")),
              QStringLiteral("'2024-02-29 07:05:09'"));
    EXPECT_EQ(JetDialect::dateLiteral(QStringLiteral("12/31/2026")),
              QStringLiteral("'2026-12-31 00:00:00'"));
    EXPECT_EQ(JetDialect::dateLiteral(QStringLiteral("13:45")),
              QStringLiteral("'1899-12-30 13:45:00'"));
    EXPECT_EQ(JetDialect::dateLiteral(QStringLiteral("2-30-2024")), QString());
    EXPECT_EQ(JetDialect::dateLiteral(QStringLiteral("25:00")), QString());
}

}  // namespace
