// Opening, sorting and filtering a result of 100,000 rows (or the count given as the first
// argument), against the C-API floor and the sqlite3 shell reading the same statement. Prints the
// ratios the targets are stated in.
#include "services/db/Connection.h"
#include "services/db/Recordset.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

using namespace tavi::db;

namespace {

int g_rows = 100000;
const char *const kStatement = "select * from big";
const char *const kSort = "name ASC";
const char *const kFilter = "je > 500 AND city LIKE '上*' OR flag = true AND n1 < 100";

QString g_path;

void createDatabase(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "create table big(id integer primary key autoincrement, n1 int, n2 int, "
                 "name varchar(20), city varchar(20), rq datetime, je money, price float, "
                 "flag bit, memo varchar(50)); begin;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into big(n1,n2,name,city,rq,je,price,flag,memo) "
                       "values(?,?,?,?,?,?,?,?,?)",
                       -1, &ins, nullptr);
    std::mt19937 rng(42);
    const char *surnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
    const char *given[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳"};
    const char *cities[] = {"北京", "上海", "广州", "深圳", "杭州", "南京", "成都", "武汉"};
    for (int i = 0; i < g_rows; ++i) {
        const std::string name = std::string(surnames[rng() % 10]) + given[rng() % 12] +
                                 given[rng() % 12] + std::to_string(rng() % 100);
        char rq[32];
        std::snprintf(rq, sizeof rq, "2026-%02d-%02d %02d:%02d:%02d", int(rng() % 12) + 1,
                      int(rng() % 28) + 1, int(rng() % 24), int(rng() % 60), int(rng() % 60));
        const std::string memo = std::string("房间") + std::to_string(rng() % 900 + 100) + " 备注";
        sqlite3_bind_int(ins, 1, int(rng() % 1000));
        sqlite3_bind_int(ins, 2, int(rng()));
        sqlite3_bind_text(ins, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 4, cities[rng() % 8], -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 5, rq, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 6, double(rng() % 100000) / 100.0);
        sqlite3_bind_double(ins, 7, double(rng() % 1000000) / 1000.0);
        sqlite3_bind_int(ins, 8, rng() % 2 ? -1 : 0);
        sqlite3_bind_text(ins, 9, memo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Bytes of the values as SQLite hands them over: 8 per number, the UTF-8 bytes of a text.
qint64 rawDataBytes(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db,
                       "select sum(8*5 + length(cast(name as blob)) + length(cast(city as blob)) "
                       "+ length(cast(rq as blob)) + length(cast(memo as blob)) + 8) from big",
                       -1, &s, nullptr);
    sqlite3_step(s);
    const qint64 bytes = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return bytes;
}

std::unique_ptr<Recordset> openBig(Connection &conn)
{
    return conn.openQuery(QString::fromLatin1(kStatement));
}

void BM_CApiFloor(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(bench::floorSeconds(g_path.toStdString(), kStatement));
}
BENCHMARK(BM_CApiFloor)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenRecordset(benchmark::State &state)
{
    Connection conn;
    conn.openLocal(g_path);
    for (auto _ : state) {
        auto rs = openBig(conn);
        benchmark::DoNotOptimize(rs->recordCount());
    }
}
BENCHMARK(BM_OpenRecordset)->Unit(benchmark::kMillisecond);

void BM_Sqlite3Shell(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(bench::shellSeconds(g_path.toStdString(), kStatement));
}
BENCHMARK(BM_Sqlite3Shell)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SortByText(benchmark::State &state)
{
    Connection conn;
    conn.openLocal(g_path);
    auto rs = openBig(conn);
    for (auto _ : state) {
        state.PauseTiming();
        rs->setSort(QString());
        state.ResumeTiming();
        rs->setSort(QString::fromLatin1(kSort));
    }
}
BENCHMARK(BM_SortByText)->Unit(benchmark::kMillisecond);

void BM_Filter(benchmark::State &state)
{
    Connection conn;
    conn.openLocal(g_path);
    auto rs = openBig(conn);
    for (auto _ : state) {
        rs->setFilter(QString::fromUtf8(kFilter));
        benchmark::DoNotOptimize(rs->recordCount());
    }
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);

// In a fresh child: the resident memory one open adds at its highest, in bytes.
int peakChild(const char *path)
{
    Connection conn;
    conn.openLocal(QString::fromUtf8(path));
    conn.openQuery(QStringLiteral("select * from big where id < 3"));
    const long long before = bench::statusKb("VmRSS:");
    auto rs = openBig(conn);
    const long long peak = bench::statusKb("VmHWM:");
    std::printf("%lld\n", (peak - before) * 1024);
    return 0;
}

void printRatios()
{
    const std::string path = g_path.toStdString();
    Connection conn;
    conn.openLocal(g_path);
    openBig(conn);
    // Processor time: both sides run in this thread, and a busy machine moves wall times more.
    const bench::Paired openFloor = bench::paired(
        7, [&] { openBig(conn); }, [&] { bench::floorSeconds(path, kStatement); }, true);
    const bench::Paired openShell = bench::paired(
        3, [&] { openBig(conn); }, [&] { bench::shellSeconds(path, kStatement); });
    const double open = openFloor.a, floor = openFloor.b, shell = openShell.b;
    auto rs = openBig(conn);
    const double filter = bench::medianOf(5, [&] { rs->setFilter(QString::fromUtf8(kFilter)); });
    const int filtered = rs->recordCount();
    rs->setFilter(QString());
    auto tenth =
        conn.openQuery(QStringLiteral("select * from big where id <= %1").arg(g_rows / 10));
    const bench::Paired sorts = bench::paired(
        7,
        [&] {
            rs->setSort(QString());
            rs->setSort(QString::fromLatin1(kSort));
        },
        [&] {
            tenth->setSort(QString());
            tenth->setSort(QString::fromLatin1(kSort));
        },
        true);
    const double sort = sorts.a, sortTenth = sorts.b;
    rs->setSort(QString());
    const qint64 raw = rawDataBytes(g_path);
    const double peak = bench::childNumber({"--peak-child", path});
    const size_t held = rs->table()->memoryUsage();

    const std::string n = bench::rowsLabel(g_rows);
    const std::string n10 = bench::rowsLabel(g_rows / 10);
    std::printf("\n%s rows x 10 columns, raw data %.1f MB\n", n.c_str(), raw / 1e6);
    std::printf(
        "open %.1f ms, C-API floor %.1f ms, sqlite3 shell %.1f ms, sort %.2f ms "
        "(%s rows %.2f ms), filter %.1f ms (%d rows)\n",
        open * 1e3, floor * 1e3, shell * 1e3, sort * 1e3, n10.c_str(), sortTenth * 1e3,
        filter * 1e3, filtered);
    std::printf("open / floor = %.2f  (target <= 1.60)\n", openFloor.ratio);
    std::printf("open / shell = %.2f\n", openShell.ratio);
    std::printf("sort %s / sort %s = %.1f  (target <= 13)\n", n.c_str(), n10.c_str(), sorts.ratio);
    std::printf("sort / open = %.3f, filter / open = %.3f\n", sort / open, filter / open);
    std::printf("peak / raw = %.2f  (target <= 2.00)  [held %.1f MB, peak %.1f MB]\n",
                peak / double(raw), held / 1e6, peak / 1e6);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak-child") == 0)
        return peakChild(argv[2]);
    g_rows = bench::takeRowCount(argc, argv, g_rows);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(QStringLiteral("bench.mdb"));
    createDatabase(g_path);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatios();
    return 0;
}
