#include "Commands.h"

#include "tools/ConversionError.h"
#include "tools/SqlToAccess.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace tavi::app {

int runSqlToAccessCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (!args.isEmpty()) {
        err << "usage: tavireport sql-to-access < STATEMENT\n";
        return 2;
    }
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        err << "tavireport sql-to-access: cannot read standard input\n";
        return 1;
    }
    const QString statement = QString::fromUtf8(in.readAll());
    try {
        QTextStream(stdout) << ConvertSqlToAcc(statement) << "\n";
    } catch (const ConversionError &e) {
        err << e.message() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tavi::app
