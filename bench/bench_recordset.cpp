// Opening, sorting and filtering a 100,000-row result, against the sqlite3 shell reading the
// same statement. Prints the ratios the targets are stated in.
#include "services/db/Connection.h"
#include "services/db/Recordset.h"

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

constexpr int kRows = 100000;
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
    for (int i = 0; i < kRows; ++i) {
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

double shellSeconds()
{
    const std::string cmd =
        "sqlite3 '" + g_path.toStdString() + "' '" + kStatement + "' > /dev/null";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

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
        state.SetIterationTime(shellSeconds());
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

qint64 statusKb(const char *key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::strlen(key)));
    }
    return 0;
}

// Peak resident memory that opening adds, from the kernel's high-water mark.
qint64 openingPeakBytes()
{
    Connection conn;
    conn.openLocal(g_path);
    std::ofstream("/proc/self/clear_refs") << "5";
    const qint64 before = statusKb("VmRSS:");
    auto rs = openBig(conn);
    const qint64 peak = statusKb("VmHWM:");
    return (peak - before) * 1024;
}

void printRatios()
{
    Connection conn;
    conn.openLocal(g_path);
    const double open = bestOf(5, [&] { openBig(conn); });
    const double shell = bestOf(5, [] { shellSeconds(); });
    auto rs = openBig(conn);
    const double sort = bestOf(5, [&] {
        rs->setSort(QString());
        rs->setSort(QString::fromLatin1(kSort));
    });
    rs->setSort(QString());
    const double filter = bestOf(5, [&] { rs->setFilter(QString::fromUtf8(kFilter)); });
    const qint64 raw = rawDataBytes(g_path);
    const qint64 peak = openingPeakBytes();
    const size_t held = rs->table()->memoryUsage();

    const double r1 = open / shell;
    const double r2 = sort / open;
    const double r3 = filter / open;
    const double r4 = double(peak) / double(raw);
    std::printf("\n%d rows x 10 columns, raw data %.1f MB\n", kRows, raw / 1e6);
    std::printf("open %.1f ms, sqlite3 shell %.1f ms, sort %.1f ms, filter %.1f ms (%d rows)\n",
                open * 1e3, shell * 1e3, sort * 1e3, filter * 1e3, rs->recordCount());
    std::printf("open / shell          = %.2f  (target <= 2.00) %s\n", r1,
                r1 <= 2 ? "ok" : "MISSED");
    std::printf("sort / open           = %.3f (target <  0.10) %s\n", r2,
                r2 < 0.1 ? "ok" : "MISSED");
    std::printf("filter / open         = %.3f (target <  0.10) %s\n", r3,
                r3 < 0.1 ? "ok" : "MISSED");
    std::printf("peak memory / raw     = %.2f  (target <= 3.00) %s  [held %.1f MB, peak %.1f MB]\n",
                r4, r4 <= 3 ? "ok" : "MISSED", held / 1e6, peak / 1e6);
}

}  // namespace

int main(int argc, char **argv)
{
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
