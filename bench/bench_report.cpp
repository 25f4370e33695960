// A report over 100,000 rows (or the count given as the first argument) with a lookup column of
// 50 distinct values and two totalled columns: composed, run and turned into the grid model with
// its footers, against the C-API floor and the sqlite3 shell running the final statement. Also
// the headless `tavireport run` with and without TZ, and the first call's session setup.
#include "entry/ConnectDatabase.h"
#include "entry/SessionSettings.h"
#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/CommandLineValues.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <random>

using namespace tavi;

namespace {

int g_rows = 100000;
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
    for (int i = 0; i < g_rows; ++i) {
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
    return bench::shellSeconds(g_path.toStdString(), g_finalSql.toStdString());
}

double floorSeconds()
{
    return bench::floorSeconds(g_path.toStdString(), g_finalSql.toStdString());
}

// In a fresh child: the session setup of a first call (connect, upgrade, settings), in seconds.
int firstCallChild(const char *dir)
{
    qputenv("TAVI_APP_DIR", dir);
    const auto t0 = std::chrono::steady_clock::now();
    ScopedSession scoped;
    Tdm data;
    scoped->dm = &data;
    if (!ConnectDatabase(0))
        return 1;
    const double connect = bench::secondsSince(t0);
    UpgradeReportTables();
    const double upgrade = bench::secondsSince(t0);
    LoadSessionSettings();
    const double total = bench::secondsSince(t0);
    std::printf("%.6f %.6f %.6f %.6f\n", total, connect, upgrade - connect, total - upgrade);
    return 0;
}

// The headless command on the same report, output written to /dev/null.
double headlessRunSeconds(const QString &dir, bool utc)
{
    const std::string cmd = std::string(utc ? "env TZ=UTC " : "env -u TZ ") + "'" +
                            QCoreApplication::applicationDirPath().toStdString() +
                            "/tavireport' run 账单汇总 --app-dir '" + dir.toStdString() +
                            "' --format csv -o /dev/null";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0)
        return -1;
    return bench::secondsSince(t0);
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

void BM_CApiFloor(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(floorSeconds());
}
BENCHMARK(BM_CApiFloor)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--first-call") == 0) {
        QCoreApplication app(argc, argv);
        return firstCallChild(argv[2]);
    }
    g_rows = bench::takeRowCount(argc, argv, g_rows);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("pelto.mdb"));
    createData(g_path);
    QFile ini(dir.filePath(QStringLiteral("Setting.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Db]\nAccDbName=pelto.mdb\n") < 0)
        return 1;
    ini.close();
    runReport();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const bench::Paired runFloor = bench::paired(7, runReport, floorSeconds, true);
    const bench::Paired runShell = bench::paired(3, runReport, shellSeconds);
    const double run = runFloor.a, floor = runFloor.b, shell = runShell.b;
    std::vector<double> local, utc, tzRatios;
    for (int i = 0; i < 5; ++i) {
        local.push_back(headlessRunSeconds(dir.path(), false));
        utc.push_back(headlessRunSeconds(dir.path(), true));
        tzRatios.push_back(local.back() / utc.back());
    }
    std::sort(local.begin(), local.end());
    std::sort(utc.begin(), utc.end());
    std::sort(tzRatios.begin(), tzRatios.end());
    std::vector<double> first, connect, upgrade, settings;
    const std::string firstCallCommand =
        "'" + QCoreApplication::applicationDirPath().toStdString() +
        "/bench_report' --first-call '" + dir.path().toStdString() + "'";
    for (int i = 0; i < 7; ++i) {
        std::string out;
        if (FILE *p = popen(firstCallCommand.c_str(), "r")) {
            char buf[256];
            while (std::fgets(buf, sizeof buf, p))
                out += buf;
            pclose(p);
        }
        double t = 0, c = 0, u = 0, st = 0;
        if (std::sscanf(out.c_str(), "%lf %lf %lf %lf", &t, &c, &u, &st) == 4) {
            first.push_back(t);
            connect.push_back(c);
            upgrade.push_back(u);
            settings.push_back(st);
        }
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? -1.0 : v[v.size() / 2];
    };

    std::printf("\nreport over %s rows: run %.1f ms, C-API floor %.1f ms, sqlite3 shell %.1f ms\n",
                bench::rowsLabel(g_rows).c_str(), run * 1e3, floor * 1e3, shell * 1e3);
    std::printf("run / floor = %.2f  (target <= 1.80)\n", runFloor.ratio);
    std::printf("run / shell = %.2f\n", runShell.ratio);
    std::printf("lookup statements = %d  (target 50) %s\n", g_lookups,
                g_lookups == 50 ? "ok" : "MISSED");
    std::printf("headless run: TZ unset %.0f ms, TZ=UTC %.0f ms\n", local[2] * 1e3, utc[2] * 1e3);
    std::printf("run TZ unset / TZ=UTC = %.2f  (target <= 1.15)\n", tzRatios[2]);
    std::printf(
        "first call setup = %.2f ms  (target <= 3)  [connect %.2f, upgrade %.2f, settings "
        "%.2f ms]\n",
        median(first) * 1e3, median(connect) * 1e3, median(upgrade) * 1e3, median(settings) * 1e3);
    return 0;
}
