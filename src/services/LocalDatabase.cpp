#include "LocalDatabase.h"

#include "UiPlatform.h"
#include "db/Connection.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QFile>

namespace tavi {

bool CreateAccessDatabase(const QString &fileName)
{
    if (QFile::exists(fileName)) {
        UiPlatform::instance().message(nullptr, UiPlatform::Icon::None,
                                       QCoreApplication::applicationName(),
                                       fileName + QStringLiteral(" 文件存在!"));
        return false;
    }
    try {
        db::Connection connection;
        connection.openLocal(fileName, true);
        // Writes the file header, so the new file is a database and not an empty file.
        connection.execute(QStringLiteral("PRAGMA user_version = 1"));
        return true;
    } catch (const db::DbError &) {
        return false;
    }
}

}  // namespace tavi
