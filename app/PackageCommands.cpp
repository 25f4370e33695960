#include "Commands.h"

#include "entry/CallSession.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/report/ReportPackage.h"
#include "services/report/ReportStore.h"

#include <QDir>
#include <QTextStream>

namespace tavi::app {

namespace {

const char *const kExportUsage =
    "usage: tavireport export-package TITLE FILE [--app-dir DIR] [--db-type N]\n";
const char *const kImportUsage =
    "usage: tavireport import-package FILE --category ID [--app-dir DIR] [--db-type N]\n";

struct HostOptions
{
    QStringList positional;
    QString appDir;
    int dbType = 0;
    int category = 0;
    bool ok = true;
};

HostOptions parse(const QStringList &args, bool withCategory)
{
    HostOptions o;
    for (qsizetype i = 0; i < args.size() && o.ok; ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--app-dir") && hasValue) {
            o.appDir = args[++i];
        } else if (a == QLatin1String("--db-type") && hasValue) {
            o.dbType = args[++i].toInt(&o.ok);
        } else if (withCategory && a == QLatin1String("--category") && hasValue) {
            o.category = args[++i].toInt(&o.ok);
            o.ok = o.ok && o.category > 0;
        } else if (!a.startsWith(QLatin1String("-"))) {
            o.positional << a;
        } else {
            o.ok = false;
        }
    }
    if (!o.appDir.isEmpty())
        qputenv("TAVI_APP_DIR", QDir(o.appDir).absolutePath().toUtf8());
    return o;
}

}  // namespace

int runExportPackageCommand(const QStringList &args)
{
    const HostOptions o = parse(args, false);
    if (!o.ok || o.positional.size() != 2) {
        QTextStream(stderr) << kExportUsage;
        return 2;
    }
    CallSession call(o.dbType, QString(), QString());
    if (!call.open())
        return 1;
    const ReportStore store(session());
    const ReportDefinition report = store.findByTitle(o.positional[0]);
    if (!report.found) {
        MsgInfo(nullptr, QStringLiteral("找不到报表相关配置！"));
        return 1;
    }
    QString error;
    if (!ReportPackage::exportReport(store, report.id, o.positional[1], &error)) {
        MsgWarning(nullptr, error);
        return 1;
    }
    QTextStream(stdout) << "exported " << report.title << " to " << o.positional[1] << "\n";
    return 0;
}

int runImportPackageCommand(const QStringList &args)
{
    const HostOptions o = parse(args, true);
    if (!o.ok || o.positional.size() != 1 || o.category == 0) {
        QTextStream(stderr) << kImportUsage;
        return 2;
    }
    CallSession call(o.dbType, QString(), QString());
    if (!call.open())
        return 1;
    ReportStore store(session());
    QString error;
    int newId = 0;
    if (!ReportPackage::importReport(o.positional[0], store, o.category, &newId, &error)) {
        MsgWarning(nullptr, error);
        return 1;
    }
    QTextStream(stdout) << "imported " << store.load(newId).title << " as report " << newId << "\n";
    return 0;
}

}  // namespace tavi::app
