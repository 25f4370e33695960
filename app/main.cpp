#include "Commands.h"
#include "services/Clock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>

namespace {

struct Command
{
    const char *name;
    const char *synopsis;
    std::function<int(const QStringList &)> run;
};

const Command kCommands[] = {
    {"open",
     "open [--db-type N] [--user U] [--office O] [--title T] [--option O] [--toolbar N] "
     "[--app-dir DIR] [--console]\n      call TaviReportPrint like a host; prints the result "
     "code and Selected (--console: messages on standard error)",
     tavi::app::runOpenCommand},
    {"init-db",
     "init-db DIR [--db-type 0]\n      create DIR with Setting.ini and a new local "
     "database holding the definition tables",
     tavi::app::runInitDbCommand},
    {"demo", "demo DIR\n      create a demo hotel database and Setting.ini in DIR",
     tavi::app::runDemoCommand},
    {"run",
     "run TITLE [--app-dir DIR] [--db-type N] [--set NAME=VALUE]... [--mode MODEARG | --option O] "
     "[--user NAME] [--office NAME] [--format table|csv|xlsx|pdf|html] [-o FILE]\n      run a "
     "report "
     "headless: its grid as text, CSV, a workbook or a printout",
     tavi::app::runRunCommand},
    {"export-package",
     "export-package TITLE FILE [--app-dir DIR] [--db-type N]\n      write one report "
     "definition into a new package file (.QVP)",
     tavi::app::runExportPackageCommand},
    {"import-package",
     "import-package FILE --category ID [--app-dir DIR] [--db-type N]\n      add the report of "
     "a package file to a category as a new report (the file is not changed)",
     tavi::app::runImportPackageCommand},
    {"sql",
     "sql [--create] [--odbc] DATABASE STATEMENT...\n      run statements through the "
     "data access layer and print the rows",
     tavi::app::runSqlCommand},
    {"sql-to-access",
     "sql-to-access\n      convert the statement on standard input for the local "
     "engine",
     tavi::app::runSqlToAccessCommand},
    {"eval", "eval EXPR\n      evaluate an arithmetic expression", tavi::app::runEvalCommand},
    {"des-encrypt", "des-encrypt KEY TEXT\n      DES-encrypt TEXT with KEY, as hexadecimal text",
     tavi::app::runDesEncryptCommand},
    {"des-decrypt", "des-decrypt KEY HEX\n      decrypt hexadecimal DES text with KEY",
     tavi::app::runDesDecryptCommand},
    {"encrypt-setting",
     "encrypt-setting TEXT\n      the AccDbPsw text of Setting.ini for a "
     "password",
     tavi::app::runEncryptSettingCommand},
};

// Every error of a command ends as a message and exit code 1, never as an abort.
int runGuarded(const char *name, const std::function<int()> &run)
{
    try {
        return run();
    } catch (const std::exception &e) {
        QTextStream(stderr) << "tavireport " << name << ": " << QString::fromUtf8(e.what()) << "\n";
    } catch (...) {
        QTextStream(stderr) << "tavireport " << name << ": unexpected error\n";
    }
    return 1;
}

int usage(int code)
{
    QTextStream out(code == 0 ? stdout : stderr);
    out << "usage: tavireport COMMAND [ARGS]\n\ncommands:\n";
    for (const Command &c : kCommands)
        out << "  " << c.synopsis << "\n";
    return code;
}

}  // namespace

int main(int argc, char **argv)
{
    // A host of the library is no Qt program: the call makes its own application object.
    if (argc > 1 && std::strcmp(argv[1], "open") == 0) {
        QStringList args;
        for (int i = 2; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        return runGuarded("open", [&] { return tavi::app::runOpenCommand(args); });
    }
    // A printout needs fonts and a paint engine; without a screen they come from the offscreen
    // platform, so a scheduled job prints as well as a desktop.
    bool paints = false;
    for (int i = 2; argc > 1 && std::strcmp(argv[1], "run") == 0 && i + 1 < argc; ++i)
        paints = paints ||
                 (std::strcmp(argv[i], "--format") == 0 && std::strcmp(argv[i + 1], "pdf") == 0);
    if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        paints ? std::make_unique<QGuiApplication>(argc, argv)
               : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication &app = *application;
    // Fixes "now" for reproducible runs ("yyyy-MM-dd HH:mm").
    if (qEnvironmentVariableIsSet("TAVI_NOW")) {
        const QDateTime now = QDateTime::fromString(qEnvironmentVariable("TAVI_NOW"),
                                                    QStringLiteral("yyyy-MM-dd HH:mm"));
        if (now.isValid())
            tavi::Clock::setFixed(now);
    }
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(2);
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help"))
        return usage(0);
    for (const Command &c : kCommands) {
        if (command == QLatin1String(c.name))
            return runGuarded(c.name, [&] { return c.run(args); });
    }
    QTextStream(stderr) << "tavireport: unknown command '" << command << "'\n";
    return usage(2);
}
