#include "HostPaths.h"

#include <QDir>
#include <QFileInfo>

namespace tavi {

QString hostDirectory()
{
    QString dir = qEnvironmentVariable("TAVI_APP_DIR");
    if (dir.isEmpty())
        dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    return dir.endsWith(u'/') ? dir : dir + QLatin1Char('/');
}

}  // namespace tavi
