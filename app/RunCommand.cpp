#include "Commands.h"

#include "TextTable.h"
#include "entry/CallSession.h"
#include "entry/TaviReportPrint.h"
#include "runner/CommandLineValues.h"
#include "runner/ReportColumnBuilder.h"
#include "runner/ReportGridModel.h"
#include "runner/ReportLoader.h"
#include "runner/ReportQuery.h"
#include "runner/ReportTextExport.h"
#include "services/Messages.h"
#include "services/Tdm.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace tavi::app {

namespace {

const char *const kUsage =
    "usage: tavireport run TITLE [--app-dir DIR] [--db-type N] [--set NAME=VALUE]... "
    "[--mode MODEARG | --option OPTION] [--format table|csv] [-o FILE]\n";

}  // namespace

int runRunCommand(const QStringList &args)
{
    QTextStream err(stderr);
    QString title, appDir, mode, preFilter, format = QStringLiteral("table"), output;
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
    if (title.isEmpty() || (format != QLatin1String("table") && format != QLatin1String("csv"))) {
        err << kUsage;
        return 2;
    }
    if (!appDir.isEmpty())
        qputenv("TAVI_APP_DIR", QDir(appDir).absolutePath().toUtf8());

    CallSession session(dbType, QString(), QString());
    if (!session.open())
        return 1;
    const auto [id, type] = CallSession::findReport(title);
    if (id == 0) {
        MsgInfo(nullptr, QStringLiteral("找不到报表相关配置！"));
        return 1;
    }
    const ReportDefinition def = ReportLoader::loadReport(id);
    CommandLineValues values(ReportLoader::loadParams(
        QStringLiteral("select * from ReportCS where ReportID=") + QString::number(id) +
        QStringLiteral(" and CSLX<>'交叉表' and CSLX<>'分类表' order by sort, CSValue")));
    for (const QString &s : sets) {
        QString error;
        if (!values.set(s, &error)) {
            MsgInfo(nullptr, error);
            return 1;
        }
    }
    ReportQuery query(def, values, mode, preFilter);
    // A category tree opens on its root, which filters nothing.
    if (def.hasFlag(",4"))
        query.setCategory({true, true, QString()});
    ReportColumnBuilder builder;
    const QList<ReportColumn> columns =
        builder.build(def, query.isMultiSelection(), values.panelDateRange());
    query.setCrossTable(builder.dateListKind(), builder.dependsOnDateRange());
    if (!query.checkRangeLimits())
        return 1;
    db::Recordset result(&dm->adoConn);
    std::vector<bool> ticks;
    if (!query.run(result, &ticks))
        return 1;
    if (query.isMultiSelection())
        result.addCalculatedField(QStringLiteral("FieldSel"),
                                  [&ticks](const db::Recordset &, int row) {
                                      return row < int(ticks.size()) && ticks[size_t(row)];
                                  });
    ReportGridModel model(&result);
    model.setColumns(columns, def.hasFlag(",1"));
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
        if (!query.summaryBarText().isEmpty())
            page += query.summaryBarText() + QLatin1Char('\n');
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
