#include "DemoRunner.h"
#include "services/report/ReportGridModel.h"
#include "support/XlsxSheet.h"

#include "runner/TemplateDesignFrm.h"
#include "runner/TemplatePreview.h"
#include "ui/GridPrintLayout.h"
#include "ui/ReportGridView.h"

#include <QAbstractButton>
#include <QCryptographicHash>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

using namespace tavi;

namespace {

class RunnerOutputTest : public test::DemoRunner
{
protected:
    static void click(const QWidget &w, const char *name)
    {
        auto *b = w.findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    static QByteArray hashOf(const QString &file)
    {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    static void press(TfrmReportShow &w, Qt::Key key)
    {
        for (QShortcut *s : w.findChildren<QShortcut *>()) {
            if (s->key() == QKeySequence(key)) {
                Q_EMIT s->activated();
                return;
            }
        }
        ADD_FAILURE() << "no shortcut for key " << key;
    }
    static QString tool(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // A printout as the printer would get it, written to a PDF file.
    struct Printout
    {
        QString file;
        int pages = 0;
        bool landscape = false;

        QString page(int n) const
        {
            return tool(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(n),
                         QStringLiteral("-l"), QString::number(n), file, QStringLiteral("-")});
        }
    };
    Printout render(const UiPlatform::PrintJob &job, const QString &name)
    {
        Printout p{out.filePath(name)};
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(p.file);
        printer.setPageOrientation(job.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        job.paint(printer);
        const QString info = tool(QStringLiteral("pdfinfo"), {p.file});
        const QRegularExpressionMatch pages =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        p.pages = pages.captured(1).toInt();
        p.landscape = size.captured(1).toDouble() > size.captured(2).toDouble();
        return p;
    }
    // Presses a key of the window and renders what it sends to the preview.
    Printout previewOf(TfrmReportShow &w, const QString &name)
    {
        Printout p;
        ui.expectPreview([&](const UiPlatform::PrintJob &job) { p = render(job, name); });
        press(w, Qt::Key_F9);
        ui.verify();
        return p;
    }
    // A report over a table of `rows` rows with columns of the given widths.
    int widthReport(const QString &title, const QList<int> &widths, int rows,
                    const QString &flags = QString())
    {
        if (!tableMade)
            data.adoConn.execute(
                QStringLiteral("create table 宽表(id int, a varchar(20), "
                               "b varchar(20), c float)"));
        tableMade = true;
        data.adoConn.execute(QStringLiteral("delete from 宽表"));
        for (int i = 1; i <= rows; ++i)
            data.adoConn.execute(QStringLiteral("insert into 宽表 values(?, ?, ?, ?)"),
                                 {i, QStringLiteral("甲%1").arg(i), QStringLiteral("乙"), i * 1.5});
        QStringList fields{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        const int id = addReport(title, 0, QStringLiteral("select * from 宽表 order by id"), {},
                                 fields.mid(0, widths.size()), flags);
        for (qsizetype i = 0; i < widths.size(); ++i)
            data.adoConn.execute(
                QStringLiteral("update ReportField set Width = ?, Title = ? where ReportID = ? and "
                               "Field = ?"),
                {widths[i], QStringLiteral("上层|列%1").arg(i + 1), id, fields[i]});
        data.adoConn.execute(
            QStringLiteral("update ReportField set HJFlag = -1, FieldFormat = '0.00' where "
                           "ReportID = ? and Field = 'c'"),
            {id});
        return id;
    }

    QTemporaryDir out;
    bool tableMade = false;
};

TEST_F(RunnerOutputTest, ExcelExportAsksBeforeReplacingAndSaysWhereTheDataWent)
{
    auto w = open(QStringLiteral("客人住宿明细"));
    ASSERT_GT(w->gridModel()->rowCount(), 1);
    w->resultSet().setPosition(1);
    const QString file = out.filePath(QStringLiteral("住宿"));

    // A name without extension gets ".xlsx".
    ui.expectSaveFile(file).expectMessage(QStringLiteral("数据已输出至") + file +
                                          QStringLiteral(".xlsx"));
    click(*w, "ToolButton10");
    ui.verify();
    EXPECT_EQ(ui.lastFilter(), QStringLiteral("Excel文件(*.xlsx)"));
    test::XlsxSheet sheet;
    ASSERT_TRUE(sheet.read(file + QStringLiteral(".xlsx")));
    EXPECT_EQ(sheet.text(QStringLiteral("A1")), w->gridModel()->column(0).title);
    EXPECT_EQ(sheet.lastRow(), w->gridModel()->rowCount() + 2);
    EXPECT_EQ(w->resultSet().position(), 1);

    // Answered No, the file stays as it was.
    const QByteArray before = hashOf(file + QStringLiteral(".xlsx"));
    ui.expectSaveFile(file + QStringLiteral(".xlsx"))
        .expectQuestion(QStringLiteral("文件已存在，您需要覆盖该文件吗？"), false);
    click(*w, "ToolButton10");
    ui.verify();
    EXPECT_EQ(hashOf(file + QStringLiteral(".xlsx")), before);

    // Cancelled: nothing at all.
    ui.expectSaveFile(QString());
    click(*w, "ToolButton10");
    ui.verify();

    // A workbook that cannot be put in place: the message, and no file left behind.
    const QString taken = out.filePath(QStringLiteral("taken.xlsx"));
    ASSERT_TRUE(QDir().mkdir(taken));
    ui.expectSaveFile(taken)
        .expectQuestion(QStringLiteral("文件已存在"), true)
        .expectMessage(QStringLiteral("信息导出失败!"));
    click(*w, "ToolButton10");
    ui.verify();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("住宿.xlsx")});
}

TEST_F(RunnerOutputTest, PrintoutHeaderFooterPagesAndTotals)
{
    session().SysInfo.OfficeName = QStringLiteral("海景酒店");
    session().SysInfo.UserName = QStringLiteral("王");
    ScopedClock printing(QDateTime(QDate(2024, 3, 10), QTime(14, 5)));
    auto w = open(widthReport(QStringLiteral("长表"), {200, 200, 265}, 120, QStringLiteral(",1")));
    ASSERT_EQ(w->gridModel()->rowCount(), 120);
    const Printout p = previewOf(*w, QStringLiteral("long.pdf"));
    EXPECT_FALSE(p.landscape);
    ASSERT_GE(p.pages, 3);
    for (int n = 1; n <= p.pages; ++n) {
        const QString page = p.page(n);
        EXPECT_TRUE(page.contains(QStringLiteral("海景酒店长表"))) << n;
        // The text tool shows runs of blanks as one.
        EXPECT_TRUE(page.contains(
            QRegularExpression(QStringLiteral("制表人：王 +制表时间：2024-03-10 14:05"))))
            << n;
        EXPECT_TRUE(
            page.contains(QRegularExpression(QStringLiteral("第%1页 +共%2页").arg(n).arg(p.pages))))
            << n;
        // Both title levels on every page.
        EXPECT_TRUE(page.contains(QStringLiteral("上层"))) << n;
        EXPECT_TRUE(page.contains(QStringLiteral("列3"))) << n;
        // The totals (120 rows of 1.5 × i) only on the last.
        EXPECT_EQ(page.contains(QStringLiteral("10890.00")), n == p.pages) << n;
    }
    EXPECT_EQ(GridPrintLayout::pageText(2, 5), QStringLiteral("第2页   共5页"));
    // No row is cut or lost: every row shows exactly once.
    QString all;
    for (int n = 1; n <= p.pages; ++n)
        all += p.page(n);
    for (int i : {1, 60, 119, 120})
        EXPECT_EQ(all.count(QRegularExpression(QStringLiteral("甲%1\\s").arg(i))), 1) << i;
}

TEST_F(RunnerOutputTest, OrientationTurnsAt666PixelsAndAWideGridIsScaledNotCut)
{
    auto narrow = open(widthReport(QStringLiteral("窄表"), {200, 200, 265}, 3));
    EXPECT_FALSE(previewOf(*narrow, QStringLiteral("665.pdf")).landscape);
    auto wide = open(widthReport(QStringLiteral("宽表665"), {200, 200, 266}, 3));
    EXPECT_TRUE(previewOf(*wide, QStringLiteral("666.pdf")).landscape);
    auto huge = open(widthReport(QStringLiteral("特宽表"), {900, 900, 600}, 3));
    const Printout p = previewOf(*huge, QStringLiteral("huge.pdf"));
    EXPECT_EQ(p.pages, 1);
    EXPECT_TRUE(p.page(1).contains(QStringLiteral("列3")));
    EXPECT_TRUE(p.page(1).contains(QStringLiteral("4.50")));
}

TEST_F(RunnerOutputTest, PrintingNeedsAPrinterAndGoesToItWithoutADialog)
{
    auto w = open(QStringLiteral("客人住宿明细"));
    ui.setPrinters({});
    ui.expectMessage(QStringLiteral("请先安装打印机！"));
    press(*w, Qt::Key_F8);
    ui.verify();

    // A selection list offers no output: its F8 and F9 ask and show nothing.
    ui.setPrinters({QStringLiteral("前台")});
    auto list = open(QStringLiteral("客人选择"));
    press(*list, Qt::Key_F8);
    press(*list, Qt::Key_F9);
    list->reject();

    int pages = 0;
    ui.expectPrint([&](const UiPlatform::PrintJob &job) {
        EXPECT_EQ(job.title, w->windowTitle());
        pages = render(job, QStringLiteral("printed.pdf")).pages;
    });
    press(*w, Qt::Key_F8);
    ui.verify();
    EXPECT_GE(pages, 1);
}

TEST_F(RunnerOutputTest, ATemplateReportShowsItsPageAfterEveryRunOrSaysItsFileIsMissing)
{
    session().SysInfo.OfficeName = QStringLiteral("海景酒店");
    session().SysInfo.UserName = QStringLiteral("王");
    session().SysInfo.AppPath = out.path() + QLatin1Char('/');
    const QString page = out.filePath(QStringLiteral("Report/营业日报单.html"));

    // Missing: the message after the run, and again after F9; the preview stays empty.
    ui.expectMessage(QStringLiteral("报表模板文件营业日报单.html不存在，请检查"));
    auto missing = open(QStringLiteral("营业日报单"));
    ui.verify();
    EXPECT_TRUE(missing->templatePreview()->isVisible());
    EXPECT_FALSE(missing->grid()->isVisible());
    ui.expectMessage(QStringLiteral("报表模板文件营业日报单.html不存在，请检查"));
    press(*missing, Qt::Key_F9);
    ui.verify();
    EXPECT_TRUE(missing->templatePreview()->document()->isEmpty());
    missing->reject();

    ASSERT_TRUE(QDir().mkpath(out.filePath(QStringLiteral("Report"))));
    ASSERT_TRUE(
        QFile::copy(QDir(hotelDir()).filePath(QStringLiteral("Report/营业日报单.html")), page));
    auto w = open(QStringLiteral("营业日报单"));
    ASSERT_GT(w->gridModel()->rowCount(), 0);
    const QString shown = w->templatePreview()->document()->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("海景酒店营业日报"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("制表人：王")));
    EXPECT_TRUE(shown.contains(w->gridModel()->footerText(2))) << shown.toStdString();
    saveShot(*w, QStringLiteral("runner-template-page"));
    auto *settings = w->findChild<QToolButton *>(QStringLiteral("ToolButton2"));
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible() && settings->isEnabled());

    // F8 prints through the print dialog.
    ui.setPrinters({QStringLiteral("前台")});
    Printout printed;
    ui.expectPrint([&](const UiPlatform::PrintJob &job) {
        EXPECT_TRUE(job.askPrinter);
        printed = render(job, QStringLiteral("template.pdf"));
    });
    press(*w, Qt::Key_F8);
    ui.verify();
    EXPECT_TRUE(printed.page(1).contains(QStringLiteral("海景酒店营业日报")));

    // The preview's own button saves a PDF.
    const QString pdf = out.filePath(QStringLiteral("日报"));
    ui.expectSaveFile(pdf);
    click(*w, "btnTplPdf");
    ui.verify();
    EXPECT_TRUE(QFile::exists(pdf + QStringLiteral(".pdf")));

    // F7: the designer previews the changed text and saves it; the report shows it at once.
    ui.expectModal([&](QDialog &dialog) {
        auto *designer = qobject_cast<TfrmTemplateDesign *>(&dialog);
        EXPECT_NE(designer, nullptr);
        if (!designer)
            return 0;
        EXPECT_TRUE(designer->editor()->toPlainText().contains(QStringLiteral("{{#rows}}")));
        designer->show();
        saveShot(*designer, QStringLiteral("template-designer"));
        designer->editor()->setPlainText(QStringLiteral("<p>共"));
        designer->editor()->moveCursor(QTextCursor::End);
        designer->insertName(QStringLiteral("count"));
        designer->editor()->insertPlainText(QStringLiteral("项 {{OfficeName}}</p>"));
        designer->refreshPreview();
        EXPECT_EQ(designer->preview()->toPlainText(),
                  QStringLiteral("共%1项 海景酒店").arg(w->gridModel()->rowCount()));
        designer->btnSaveClick();
        return designer->result();
    });
    press(*w, Qt::Key_F7);
    ui.verify();
    EXPECT_EQ(w->templatePreview()->document()->toPlainText(),
              QStringLiteral("共%1项 海景酒店").arg(w->gridModel()->rowCount()));
    QFile saved(page);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()),
              QStringLiteral("<p>共{{count}}项 {{OfficeName}}</p>"));
}

}  // namespace
