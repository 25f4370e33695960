#include "Commands.h"

#include "demo/DemoDatabase.h"

#include <QDir>
#include <QTextStream>

namespace tavi::app {

int runDemoCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        err << "usage: tavireport demo DIR\n";
        return 2;
    }
    QString error;
    if (!DemoDatabase::create(args[0], &error)) {
        err << "tavireport demo: " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "created " << QDir(args[0]).absolutePath() << "\n";
    return 0;
}

}  // namespace tavi::app
