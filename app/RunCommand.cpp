#include "Commands.h"

#include "TextTable.h"
#include "entry/CallSession.h"
#include "entry/TaviReportPrint.h"
#include "services/Clock.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/CommandLineValues.h"
#include "services/report/ReportExcelExport.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"
#include "services/report/ReportTemplate.h"
#include "services/report/ReportTextExport.h"
#include "ui/GridPrintLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

namespace tavi::app {

namespace {

const char *const kUsage =
    "usage: tavireport run TITLE [--app-dir DIR] [--db-type N] [--set NAME=VALUE]... "
    "[--mode MODEARG | --option OPTION] [--user NAME] [--office NAME] [--format "
    "table|csv|xlsx|pdf] [-o FILE]\n";

}  // namespace

int runRunCommand(const QStringList &args)
{
    QTextStream err(stderr);
    QString title, appDir, mode, preFilter, format = QStringLiteral("table"), output, user, office;
    QStringList sets;
    int dbType = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--app-dir") && hasValue) {
            appDir = args[++i];
        } else if (a == QLatin1String("--db-type") && hasValue) {
            bool ok = false;
            dbType = args[++i].toInt(&ok);
            if (!ok) {
                err << kUsage;
                return 2;
            }
        } else if (a == QLatin1String("--set") && hasValue) {
            sets << args[++i];
        } else if (a == QLatin1String("--mode") && hasValue) {
            mode = args[++i];
        } else if (a == QLatin1String("--option") && hasValue) {
            // The host's option text, split as a call splits it ("NONULTI:" + a pre-filter).
            const OptionParts parts = splitOption(args[++i]);
            mode = parts.modeArg;
            preFilter = parts.preFilter;
        } else if (a == QLatin1String("--user") && hasValue) {
            user = args[++i];
        } else if (a == QLatin1String("--office") && hasValue) {
            office = args[++i];
        } else if (a == QLatin1String("--format") && hasValue) {
            format = args[++i];
        } else if (a == QLatin1String("-o") && hasValue) {
            output = args[++i];
        } else if (!a.startsWith(QLatin1String("-")) && title.isEmpty()) {
            title = a;
        } else {
            err << kUsage;
            return 2;
        }
    }
    const bool toFile = format == QLatin1String("xlsx") || format == QLatin1String("pdf") ||
                        format == QLatin1String("html");
    if (title.isEmpty() ||
        (format != QLatin1String("table") && format != QLatin1String("csv") && !toFile) ||
        (toFile && output.isEmpty())) {
        err << kUsage;
        return 2;
    }
    if (!appDir.isEmpty())
        qputenv("TAVI_APP_DIR", QDir(appDir).absolutePath().toUtf8());

    CallSession call(dbType, user, office);
    if (!call.open())
        return 1;
    const ReportStore store(session());
    QString readError;
    const ReportDefinition def = store.findByTitle(title, &readError);
    if (!def.found) {
        MsgInfo(nullptr, readError.isEmpty() ? QStringLiteral("找不到报表相关配置！")
                                             : QStringLiteral("读取报表设置时出错：") + readError);
        return 1;
    }
    CommandLineValues values(store.params(def.id, ReportStore::ParamSet::Panel));
    for (const QString &s : sets) {
        QString error;
        if (!values.set(s, &error)) {
            MsgInfo(nullptr, error);
            return 1;
        }
    }
    ReportRun run(session(), def, values, mode, preFilter);
    // A category tree opens on its root, which filters nothing.
    if (def.hasCategoryTree())
        run.setCategory({true, true, QString()});
    run.buildColumns();
    if (!run.error().isEmpty()) {
        MsgInfo(nullptr, run.error());
        return 1;
    }
    db::Recordset result(&session().dm->adoConn);
    if (!run.prepare() || run.run(result) != ReportRun::Outcome::Ran) {
        MsgInfo(nullptr, run.error());
        return 1;
    }
    const std::vector<bool> ticks = run.takeSelectionFlags();
    if (run.isMultiSelection())
        result.addCalculatedField(QStringLiteral("FieldSel"),
                                  [&ticks](const db::Recordset &, int row) {
                                      return row < int(ticks.size()) && ticks[size_t(row)];
                                  });
    ReportGridModel model(&result);
    model.setColumns(run.columns(), def.twoLevelTitles());
    if (format == QLatin1String("xlsx")) {
        const QString error = ReportExcelExport(model).writeGrid(output);
        if (!error.isEmpty()) {
            err << "tavireport run: cannot write " << output << ": " << error << "\n";
            return 1;
        }
        return 0;
    }
    // A template report's page, as its preview shows it; false when there is none to show.
    const auto templatePage = [&](QString *page) {
        QString text;
        if (!ReportTemplate::readFile(def.templatePath, &text)) {
            MsgInfo(nullptr, ReportTemplate::missingMessage(
                                 def.templatePath.isEmpty() ? def.mxReportName : def.templatePath));
            return false;
        }
        QString error;
        *page = ReportTemplate::render(
            text, model,
            {session().SysInfo.OfficeName, run.conditionText(), session().SysInfo.UserName},
            &error);
        if (!error.isEmpty()) {
            MsgInfo(nullptr, QStringLiteral("报表模板文件") +
                                 QFileInfo(def.templatePath).fileName() +
                                 QStringLiteral("有错误：") + error);
            return false;
        }
        return true;
    };
    const bool templateReport = def.type() == ReportType::Template;
    if (format == QLatin1String("html")) {
        if (!templateReport) {
            MsgInfo(nullptr, QStringLiteral("报表“") + def.title +
                                 QStringLiteral("”不是模板报表，没有模板可以输出。"));
            return 1;
        }
        QString page;
        if (!templatePage(&page))
            return 1;
        QSaveFile out(output);
        const QByteArray bytes = page.toUtf8();
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            err << "tavireport run: cannot write " << output << "\n";
            return 1;
        }
        return 0;
    }
    if (format == QLatin1String("pdf") && templateReport) {
        // A template report prints its page, as 打印F8 in its window does.
        QString page;
        if (!templatePage(&page))
            return 1;
        QTextDocument document;
        document.setHtml(page);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        printer.setDocName(def.title);
        document.print(&printer);
        if (printer.printerState() == QPrinter::Error || !QFileInfo::exists(output)) {
            err << "tavireport run: cannot write " << output << "\n";
            return 1;
        }
        return 0;
    }
    if (format == QLatin1String("pdf")) {
        // The caption a runner window would carry.
        QString caption = def.title;
        const qsizetype at = caption.indexOf(QStringLiteral("销售"));
        if (at >= 0 && !session().SysInfo.SalesWord.isEmpty())
            caption.replace(at, 2, session().SysInfo.SalesWord);
        const GridPrintLayout layout(model,
                                     {session().SysInfo.OfficeName + caption, run.conditionText(),
                                      session().SysInfo.UserName, Clock::now()});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        printer.setDocName(caption);
        printer.setPageOrientation(layout.landscape() ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
        if (layout.paint(printer) == 0) {
            err << "tavireport run: cannot write " << output << "\n";
            return 1;
        }
        return 0;
    }
    const ReportTextExport text(model);

    QFile out;
    if (output.isEmpty()) {
        out.open(stdout, QIODevice::WriteOnly);
    } else {
        out.setFileName(output);
        if (!out.open(QIODevice::WriteOnly)) {
            err << "tavireport run: cannot write " << output << "\n";
            return 1;
        }
    }
    bool written = false;
    if (format == QLatin1String("csv")) {
        written = text.writeCsv(out);
    } else {
        TextTable table(text.header());
        text.forEachRow([&table](const QStringList &row) { table.addRow(row); });
        table.addRow(text.footer());
        QString page;
        if (!run.summaryBarText().isEmpty())
            page += run.summaryBarText() + QLatin1Char('\n');
        page += table.toString();
        const QByteArray bytes = page.toUtf8();
        written = out.write(bytes) == bytes.size();
    }
    if (!written && !output.isEmpty()) {
        err << "tavireport run: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tavi::app
