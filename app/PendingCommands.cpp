// Commands whose implementation is being written; each moves to a file of its own.
#include "Commands.h"

#include <QTextStream>

namespace tavi::app {

namespace {
int notYet(const char *name)
{
    QTextStream(stderr) << "tavireport " << name << ": not available in this build\n";
    return 2;
}
}  // namespace

int runOpenCommand(const QStringList &) { return notYet("open"); }
int runInitDbCommand(const QStringList &) { return notYet("init-db"); }

}  // namespace tavi::app
