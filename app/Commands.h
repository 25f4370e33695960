#pragma once

#include <QStringList>

// Subcommands of `tavireport`; each takes the arguments after its name and returns the exit code.
namespace tavi::app {

int runSqlCommand(const QStringList &args);
int runSqlToAccessCommand(const QStringList &args);
int runDesEncryptCommand(const QStringList &args);
int runDesDecryptCommand(const QStringList &args);
int runEncryptSettingCommand(const QStringList &args);
int runEvalCommand(const QStringList &args);
int runOpenCommand(const QStringList &args);
int runInitDbCommand(const QStringList &args);
int runRunCommand(const QStringList &args);
int runDemoCommand(const QStringList &args);
int runExportPackageCommand(const QStringList &args);
int runImportPackageCommand(const QStringList &args);

}  // namespace tavi::app
