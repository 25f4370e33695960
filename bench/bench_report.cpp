// A report over 100,000 rows with a lookup column of 50 distinct values and two totalled
// columns: composed, run and turned into the grid model with its footers, against the sqlite3
// shell running the final statement.
#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/CommandLineValues.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <random>

using namespace tavi;

namespace {

constexpr int kRows = 100000;
QString g_path;
QString g_finalSql;
int g_lookups = 0;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error);
        std::exit(1);
    }
}

void createData(const QString &path)
{
    Tdm data;
    session().dm = &data;
    session().SysInfo.DbType = 0;
    data.adoConn.openLocal(path, true);
    UpgradeReportTables();
    data.adoConn.execute(QStringLiteral(
        "insert into ReportList(title, lb, sSql, CsList, Type) values('账单汇总', 1, "
        "'select kh, je, sl, rq from zd where 1=1 {1}', '', 0)"));
    data.adoConn.execute(QStringLiteral(
        "insert into ReportCS(ReportID, CSValue, CSName, CSLX, CSSql, sort) values(1, '{1}', "
        "'备注', '文本型', 'and bz like ''%{1}%''', 0)"));
    const char *fields[][5] = {{"客户", "kh", "[SQL:select name from kh where id={1}]", "0", "1"},
                               {"金额", "je", "#,##0.00", "-1", "2"},
                               {"数量", "sl", "0", "-1", "3"},
                               {"日期", "rq", "yyyy-mm-dd", "0", "4"}};
    for (const auto &f : fields)
        data.adoConn.execute(
            QStringLiteral("insert into ReportField(ReportID, Title, Field, FieldFormat, Width, "
                           "HJFlag, SortID, isShow) values(1, ?, ?, ?, 80, ?, ?, -1)"),
            {QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), QString::fromUtf8(f[2]),
             QString::fromUtf8(f[3]).toInt(), QString::fromUtf8(f[4]).toInt()});
    data.adoConn.close();
    session().dm = nullptr;

    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db,
         "create table kh(id integer primary key, name varchar(20)); "
         "create table zd(id integer primary key, kh int, je money, sl int, rq datetime, "
         "bz varchar(20)); begin;");
    for (int i = 1; i <= 50; ++i) {
        const std::string sql =
            "insert into kh values(" + std::to_string(i) + ", '客户" + std::to_string(i) + "')";
        exec(db, sql.c_str());
    }
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "insert into zd(kh, je, sl, rq, bz) values(?, ?, ?, ?, ?)", -1, &ins,
                       nullptr);
    std::mt19937 rng(7);
    for (int i = 0; i < kRows; ++i) {
        char rq[32];
        std::snprintf(rq, sizeof rq, "2026-%02d-%02d 12:00:00", int(rng() % 12) + 1,
                      int(rng() % 28) + 1);
        sqlite3_bind_int(ins, 1, int(rng() % 50) + 1);
        sqlite3_bind_double(ins, 2, double(rng() % 100000) / 100.0);
        sqlite3_bind_int(ins, 3, int(rng() % 10));
        sqlite3_bind_text(ins, 4, rq, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 5, "房费", -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "commit;");
    sqlite3_close(db);
}

// One run as the runner does it: compose, run, columns, model, footers and every lookup text.
void runReport()
{
    Tdm data;
    session().dm = &data;
    data.adoConn.openLocal(g_path);
    const ReportStore store(session());
    const ReportDefinition def = store.load(1);
    CommandLineValues values(store.params(1, ReportStore::ParamSet::Panel));
    ReportRun run(session(), def, values);
    const QList<ReportColumn> columns = run.buildColumns();
    db::Recordset result(&data.adoConn);
    if (run.run(result) != ReportRun::Outcome::Ran)
        std::exit(1);
    ReportGridModel model(&result);
    model.setColumns(columns, false);
    for (int c = 0; c < model.columnCount(); ++c)
        benchmark::DoNotOptimize(model.footerText(c));
    for (int r = 0; r < model.rowCount(); ++r)
        benchmark::DoNotOptimize(model.data(model.index(r, 0)));
    g_finalSql = run.finalSql();
    g_lookups = model.lookups().lookupCount();
    session().dm = nullptr;
}

double shellSeconds()
{
    const std::string cmd =
        "sqlite3 '" + g_path.toStdString() + "' \"" + g_finalSql.toStdString() + "\" > /dev/null";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_ReportRun(benchmark::State &state)
{
    for (auto _ : state)
        runReport();
    state.counters["lookups"] = g_lookups;
}
BENCHMARK(BM_ReportRun)->Unit(benchmark::kMillisecond);

void BM_Sqlite3Shell(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(shellSeconds());
}
BENCHMARK(BM_Sqlite3Shell)->UseManualTime()->Unit(benchmark::kMillisecond);

template <typename F>
double bestOf(int runs, F f)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("pelto.mdb"));
    createData(g_path);
    runReport();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double run = bestOf(5, runReport);
    const double shell = bestOf(5, shellSeconds);
    std::printf("\nreport over %d rows: run %.1f ms, sqlite3 shell %.1f ms\n", kRows, run * 1e3,
                shell * 1e3);
    std::printf("run / shell           = %.2f  (target <= 2.50) %s\n", run / shell,
                run / shell <= 2.5 ? "ok" : "MISSED");
    std::printf("lookup statements     = %d     (target 50) %s\n", g_lookups,
                g_lookups == 50 ? "ok" : "MISSED");
    return 0;
}
