#include "ReportPackage.h"

#include "ReportSchema.h"
#include "ReportStore.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tavi {

namespace {

const QString kCopyFailed = QStringLiteral("导入数据发生错误，请重试");

}  // namespace

QString ReportPackage::notAPackage(const QString &fileName)
{
    return QStringLiteral("文件[") + QFileInfo(fileName).fileName() +
           QStringLiteral("]不是一个有效的报表文件！");
}

bool ReportPackage::exportReport(const ReportStore &host, int reportId, const QString &fileName,
                                 QString *error)
{
    if (!host.load(reportId).found) {
        *error = QStringLiteral("找不到报表相关配置！");
        return false;
    }
    if (QFileInfo::exists(fileName)) {
        *error = fileName + QStringLiteral(" 文件存在!");
        return false;
    }
    bool written = false;
    {
        db::Connection package;
        try {
            package.openLocal(fileName, true);
            for (const QString &statement : ReportSchema::packageTables())
                package.execute(statement);
        } catch (const db::DbError &e) {
            *error = QStringLiteral("导出报表数据失败！\n") + e.message();
        }
        if (error->isEmpty()) {
            ReportStore target(package, 0);
            QString copyError;
            written = ReportStore::copyReportKeepingId(host, reportId, target, &copyError);
            if (!written)
                *error = kCopyFailed + u'\n' + copyError;
        }
    }
    if (!written)
        QFile::remove(fileName);
    return written;
}

bool ReportPackage::importReport(const QString &fileName, ReportStore &host, int categoryId,
                                 int *newId, QString *error)
{
    if (!QFileInfo(fileName).isFile()) {
        *error = QStringLiteral("文件[") + fileName + QStringLiteral("]不存在！");
        return false;
    }
    if (host.categoryName(categoryId).isEmpty()) {
        *error = QStringLiteral("报表类别[%1]不存在！").arg(categoryId);
        return false;
    }
    // Opening a database file may write to it (a journal left behind is rolled back), and a
    // package may be read-only or shared: only a copy is ever opened.
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("package.qvp"));
    if (!scratch.isValid() || !QFile::copy(fileName, copy)) {
        *error = QStringLiteral("无法读取文件[") + fileName + QStringLiteral("]");
        return false;
    }
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    db::Connection package;
    try {
        package.openLocal(copy);
    } catch (const db::DbError &) {
        *error = notAPackage(fileName);
        return false;
    }
    const ReportStore source(package, 0);
    // A package holds exactly one report, with the three tables of its rows beside it.
    QString readError;
    const QList<ReportDefinition> reports = source.reports(0, &readError);
    if (!readError.isEmpty() || reports.size() != 1) {
        *error = notAPackage(fileName);
        return false;
    }
    source.loadRows(reports.first().id, &readError);
    if (!readError.isEmpty()) {
        *error = notAPackage(fileName);
        return false;
    }
    QString copyError;
    if (!ReportStore::copyReport(source, reports.first().id, host, categoryId, newId, &copyError)) {
        *error = kCopyFailed + u'\n' + copyError;
        return false;
    }
    return true;
}

}  // namespace tavi
