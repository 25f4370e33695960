#include "Commands.h"

#include "TextTable.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"

#include <QTextStream>
#include <cstdio>

namespace tavi::app {

namespace {

bool returnsRows(const QString &sql)
{
    const QString head = sql.trimmed().section(u' ', 0, 0).toLower();
    return head == QLatin1String("select") || head == QLatin1String("with") ||
           head == QLatin1String("pragma");
}

}  // namespace

int runSqlCommand(const QStringList &args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool create = false;
    bool odbc = false;
    QStringList rest;
    for (const QString &a : args) {
        if (a == QLatin1String("--create"))
            create = true;
        else if (a == QLatin1String("--odbc"))
            odbc = true;
        else
            rest << a;
    }
    if (rest.size() < 2) {
        err << "usage: tavireport sql [--create] [--odbc] DATABASE STATEMENT...\n"
               "  DATABASE is a local database file, or with --odbc an ODBC connection string\n";
        return 2;
    }
    db::Connection connection;
    try {
        if (odbc)
            connection.openServer(rest[0]);
        else
            connection.openLocal(rest[0], create);
        for (qsizetype i = 1; i < rest.size(); ++i) {
            const QString &sql = rest[i];
            if (!returnsRows(sql)) {
                const qint64 changed = connection.execute(sql);
                out << (changed >= 0 ? QString::number(changed) : QStringLiteral("?"))
                    << " row(s) changed\n";
                continue;
            }
            const auto rs = connection.openQuery(sql);
            QStringList header;
            for (int c = 0; c < rs->fieldCount(); ++c)
                header << rs->field(c).name;
            TextTable table(header);
            for (rs->first(); !rs->eof(); rs->next()) {
                QStringList row;
                for (int c = 0; c < rs->fieldCount(); ++c)
                    row << db::Recordset::textOf(rs->value(c));
                table.addRow(row);
            }
            out << table.toString() << "(" << rs->recordCount() << " row(s))\n";
        }
    } catch (const db::DbError &e) {
        out.flush();
        err << e.message() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tavi::app
