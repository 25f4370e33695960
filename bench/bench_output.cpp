// The grid's outputs over a result of 100,000 rows × 10 columns (or the count given as the first
// argument): the Excel export against a bare libxlsxwriter loop writing the same cells from
// memory, and the printout of 10,000 rows to PDF with its pages per second and peak memory.
#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ReportExcelExport.h"
#include "services/report/ReportGridModel.h"
#include "ui/GridPrintLayout.h"

#include "BenchSupport.h"

#include <sqlite3.h>
#include <xlsxwriter.h>
#include <QApplication>
#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

using namespace tavi;

namespace {

int g_rows = 100000;
constexpr int kPdfRows = 10000;
QString g_db;
QString g_dir;

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
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db,
         "create table zd(id int, name varchar(20), phone varchar(20), je money, sl int, "
         "rq datetime, bz varchar(20), zk float, fh int, czy varchar(10)); begin;");
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "insert into zd values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &ins,
                       nullptr);
    std::mt19937 rng(7);
    for (int i = 0; i < g_rows; ++i) {
        char rq[32], phone[16], name[16];
        std::snprintf(rq, sizeof rq, "2026-%02d-%02d %02d:%02d:00", int(rng() % 12) + 1,
                      int(rng() % 28) + 1, int(rng() % 24), int(rng() % 60));
        std::snprintf(phone, sizeof phone, "13%09u", unsigned(rng() % 1000000000));
        std::snprintf(name, sizeof name, "客人%d", int(rng() % 5000));
        sqlite3_bind_int(ins, 1, i + 1);
        sqlite3_bind_text(ins, 2, name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 3, phone, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(ins, 4, double(rng() % 100000) / 100.0);
        sqlite3_bind_int(ins, 5, int(rng() % 10));
        sqlite3_bind_text(ins, 6, rq, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 7, "房费", -1, SQLITE_STATIC);
        sqlite3_bind_double(ins, 8, double(rng() % 100) / 100.0);
        sqlite3_bind_int(ins, 9, int(rng() % 400) + 100);
        sqlite3_bind_text(ins, 10, "admin", -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "commit;");
    sqlite3_close(db);
}

QList<ReportColumn> columns()
{
    const char *defs[][3] = {{"编号", "id", ""},    {"姓名", "name", ""},
                             {"电话", "phone", ""}, {"金额", "je", "#,##0.00"},
                             {"数量", "sl", "0"},   {"日期", "rq", "yyyy-mm-dd hh:nn"},
                             {"备注", "bz", ""},    {"折扣", "zk", "0.00"},
                             {"房号", "fh", "0"},   {"操作员", "czy", ""}};
    QList<ReportColumn> list;
    for (const auto &s : defs) {
        ReportColumn c;
        c.title = c.lowerTitle = QString::fromUtf8(s[0]);
        c.field = QString::fromLatin1(s[1]);
        c.displayFormat = c.fieldFormat = QString::fromLatin1(s[2]);
        c.width = 80;
        if (c.field == QLatin1String("je"))
            c.footer = ReportColumn::Footer::Sum;
        list << c;
    }
    return list;
}

// A cell as the bare loop gets it: already in memory, in the form libxlsxwriter takes.
struct RawCell
{
    bool number = false;
    double value = 0;
    std::string text;
};

std::vector<RawCell> rawCells(const ReportGridModel &model)
{
    std::vector<RawCell> cells;
    cells.reserve(size_t(model.rowCount()) * size_t(model.columnCount()));
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c) {
            const QVariant v = model.cellValue(r, c);
            RawCell cell;
            if (!model.column(c).displayFormat.isEmpty() &&
                v.metaType().id() != QMetaType::QString) {
                cell.number = true;
                cell.value = v.metaType().id() == QMetaType::QDateTime
                                 ? double(QDate(1899, 12, 30).daysTo(v.toDateTime().date()))
                                 : v.toDouble();
            } else {
                cell.text = v.toString().toStdString();
            }
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

void bareLoop(const std::vector<RawCell> &cells, int columns, const std::string &file)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *wb = workbook_new_opt(file.c_str(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    std::vector<lxw_format *> formats;
    for (int c = 0; c < columns; ++c) {
        lxw_format *f = workbook_add_format(wb);
        format_set_num_format(f, c == 5 ? "yyyy-mm-dd hh:mm" : "#,##0.00");
        formats.push_back(f);
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), 10, f);
        worksheet_write_string(ws, 0, lxw_col_t(c), "标题", nullptr);
    }
    size_t i = 0;
    const int rows = int(cells.size() / size_t(columns));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c, ++i) {
            if (cells[i].number)
                worksheet_write_number(ws, lxw_row_t(r + 1), lxw_col_t(c), cells[i].value,
                                       formats[size_t(c)]);
            else
                worksheet_write_string(ws, lxw_row_t(r + 1), lxw_col_t(c), cells[i].text.c_str(),
                                       formats[size_t(c)]);
        }
    }
    worksheet_write_number(ws, lxw_row_t(rows + 1), 3, 1.0, formats[3]);
    workbook_close(wb);
}

// In a fresh child: the printout of the first 10,000 rows; prints seconds, pages and the peak
// memory the printout added, in bytes.
int pdfChild(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScopedSession scoped;
    Tdm data;
    scoped->dm = &data;
    data.adoConn.openLocal(g_db);
    db::Recordset result(&data.adoConn);
    OpenQuery(result, QStringLiteral("select * from zd where id <= %1 order by id").arg(kPdfRows));
    ReportGridModel model(&result);
    model.setColumns(columns(), false);
    const long long before = bench::statusKb("VmRSS:");
    const GridPrintLayout layout(model, {QStringLiteral("海景酒店账单"), QString(),
                                         QStringLiteral("王"), QDateTime::currentDateTime()});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(g_dir).filePath(QStringLiteral("bench.pdf")));
    printer.setPageOrientation(layout.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
    const auto t0 = std::chrono::steady_clock::now();
    const int pages = layout.paint(printer);
    const double seconds = bench::secondsSince(t0);
    const long long peak = bench::statusKb("VmHWM:");
    std::printf("%.6f %d %lld\n", seconds, pages, (peak - before) * 1024);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pdf-child") == 0) {
        g_db = QString::fromLocal8Bit(argv[2]);
        g_dir = QString::fromLocal8Bit(argv[3]);
        return pdfChild(argc, argv);
    }
    g_rows = bench::takeRowCount(argc, argv, g_rows);
    QTemporaryDir dir;
    g_dir = dir.path();
    g_db = dir.filePath(QStringLiteral("pelto.mdb"));
    createData(g_db);
    {
        QCoreApplication app(argc, argv);
        ScopedSession scoped;
        Tdm data;
        scoped->dm = &data;
        data.adoConn.openLocal(g_db);
        db::Recordset result(&data.adoConn);
        OpenQuery(result, QStringLiteral("select * from zd order by id"));
        ReportGridModel model(&result);
        model.setColumns(columns(), false);
        const std::vector<RawCell> cells = rawCells(model);
        const QString ours = dir.filePath(QStringLiteral("ours.xlsx"));
        const std::string bare = dir.filePath(QStringLiteral("bare.xlsx")).toStdString();
        const ReportExcelExport excel(model);
        const bench::Paired p = bench::paired(
            3, [&] { excel.writeGrid(ours); }, [&] { bareLoop(cells, 10, bare); });
        std::printf(
            "excel export of %s rows x 10 columns: export %.0f ms, bare libxlsxwriter "
            "loop %.0f ms\n",
            bench::rowsLabel(g_rows).c_str(), p.a * 1e3, p.b * 1e3);
        std::printf("export / bare loop = %.2f  (target <= 1.30)\n", p.ratio);
    }

    std::string out;
    const std::string cmd = "'/proc/" + std::to_string(getpid()) + "/exe' --pdf-child '" +
                            g_db.toStdString() + "' '" + g_dir.toStdString() + "'";
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    double seconds = 0;
    int pages = 0;
    long long peak = 0;
    if (std::sscanf(out.c_str(), "%lf %d %lld", &seconds, &pages, &peak) != 3) {
        std::fprintf(stderr, "the printout child failed: %s\n", out.c_str());
        return 1;
    }
    std::printf(
        "printout of %d rows: %d pages in %.2f s = %.0f pages/s, peak memory added %.1f MB\n",
        kPdfRows, pages, seconds, pages / seconds, peak / 1e6);
    return 0;
}
