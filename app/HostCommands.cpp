#include "Commands.h"

#include "entry/UpgradeReportTables.h"
#include "services/LocalDatabase.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/DbError.h"
#include "tools/Gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibrary>
#include <QTextStream>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavi::app {

namespace {

using EntryPoint = int32_t (*)(int32_t, const char *, const char *, const char *, const char *,
                               const char *, int32_t, char **);

// The value after an option, or false when it is missing.
bool takeValue(const QStringList &args, qsizetype &i, QString *value)
{
    if (i + 1 >= args.size())
        return false;
    *value = args[++i];
    return true;
}

QString executableDirectory()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

}  // namespace

int runOpenCommand(const QStringList &args)
{
    QTextStream err(stderr);
    const char *usage =
        "usage: tavireport open [--db-type N] [--user U] [--office O] "
        "[--title T] [--option O] [--toolbar N] [--app-dir DIR] [--console] "
        "[--host-app core|gui]\n";
    int dbType = 0;
    int toolbar = 0;
    QString user, office, title, option, appDir, hostApp;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--console")) {
            // Messages to standard error and every question answered no: for scripts.
            qputenv("TAVI_UI", "console");
            continue;
        }
        QString v;
        bool ok = takeValue(args, i, &v);
        if (!ok) {
            err << usage;
            return 2;
        }
        if (a == QLatin1String("--db-type"))
            dbType = v.toInt(&ok);
        else if (a == QLatin1String("--toolbar"))
            toolbar = v.toInt(&ok);
        else if (a == QLatin1String("--user"))
            user = v;
        else if (a == QLatin1String("--office"))
            office = v;
        else if (a == QLatin1String("--title"))
            title = v;
        else if (a == QLatin1String("--option"))
            option = v;
        else if (a == QLatin1String("--app-dir"))
            appDir = v;
        else if (a == QLatin1String("--host-app"))
            hostApp = v;
        else
            ok = false;
        if (!ok) {
            err << usage;
            return 2;
        }
    }
    if (!appDir.isEmpty())
        qputenv("TAVI_APP_DIR", QDir(appDir).absolutePath().toUtf8());

    // A host that is a Qt program without widgets: a console or a QML program.
    int argc = 1;
    char name[] = "host";
    char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> host;
    if (hostApp == QLatin1String("core")) {
        host = std::make_unique<QCoreApplication>(argc, argv);
    } else if (hostApp == QLatin1String("gui")) {
        host = std::make_unique<QGuiApplication>(argc, argv);
    } else if (!hostApp.isEmpty()) {
        err << usage;
        return 2;
    }

    QLibrary library(QDir(executableDirectory()).filePath(QStringLiteral("libtavireport.so")));
    const auto entry = reinterpret_cast<EntryPoint>(library.resolve("TaviReportPrint"));
    if (!entry) {
        err << "tavireport open: " << library.errorString() << "\n";
        return 2;
    }
    // A host hands its texts over in GBK.
    const QByteArray u = Gbk::encode(user), o = Gbk::encode(office), t = Gbk::encode(title),
                     opt = Gbk::encode(option);
    char *selected = nullptr;
    const int result = entry(dbType, u.constData(), o.constData(), "", t.constData(),
                             opt.constData(), toolbar, &selected);
    QTextStream out(stdout);
    out << result << "\n";
    if (result == 1)
        out << (selected ? Gbk::decode(QByteArrayView(selected, qsizetype(std::strlen(selected))))
                         : QString())
            << "\n";
    std::free(selected);
    return 0;
}

int runInitDbCommand(const QStringList &args)
{
    QTextStream err(stderr);
    const char *usage = "usage: tavireport init-db DIR [--db-type 0]\n";
    QString dirName;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--db-type")) {
            QString v;
            if (!takeValue(args, i, &v) || v != QLatin1String("0")) {
                err << "tavireport init-db: only a local database (--db-type 0) can be created; "
                       "a SQL Server database is prepared by the first call that opens it\n";
                return 2;
            }
        } else if (dirName.isEmpty()) {
            dirName = args[i];
        } else {
            err << usage;
            return 2;
        }
    }
    if (dirName.isEmpty()) {
        err << usage;
        return 2;
    }
    QDir dir(dirName);
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "tavireport init-db: cannot create " << dirName << "\n";
        return 1;
    }
    const QString ini = dir.filePath(QStringLiteral("Setting.ini"));
    const QString database = dir.filePath(QStringLiteral("pelto.mdb"));
    if (QFile::exists(ini) || QFile::exists(database)) {
        err << "tavireport init-db: " << dirName
            << " already holds Setting.ini or pelto.mdb; nothing was changed\n";
        return 1;
    }
    if (!CreateAccessDatabase(database)) {
        err << "tavireport init-db: cannot create " << database << "\n";
        return 1;
    }
    ScopedSession scoped;
    Tdm data;
    scoped->dm = &data;
    scoped->SysInfo.DbType = 0;
    int status = 0;
    try {
        data.adoConn.openLocal(database);
        UpgradeReportTables();
    } catch (const db::DbError &e) {
        err << "tavireport init-db: " << e.message() << "\n";
        status = 1;
    }
    QFile file(ini);
    if (status == 0 && file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write("[Db]\nAccDbName=pelto.mdb\nAccDbPsw=\n\n[Main]\nDesFlag=0\n");
        QTextStream(stdout) << "created " << QDir(dirName).absolutePath() << "\n";
    } else if (status == 0) {
        err << "tavireport init-db: cannot write " << ini << "\n";
        status = 1;
    }
    return status;
}

}  // namespace tavi::app
