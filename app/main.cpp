#include "SqlCommand.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int usage()
{
    QTextStream(stderr) << "usage: tavireport COMMAND [ARGS]\n"
                           "commands:\n"
                           "  sql [--create] [--odbc] DATABASE STATEMENT...   run statements\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("sql"))
        return tavi::app::runSqlCommand(args);
    return usage();
}
