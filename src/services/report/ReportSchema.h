#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavi {

/// The shape of the report definition tables and the steps that bring a database to it.
class ReportSchema
{
public:
    /// One upgrade step: when its test finds the table (or column, or any category) missing,
    /// its statements run in order.
    struct Step
    {
        enum class Test
        {
            TableMissing,
            ColumnMissing,
            NoCategory,
        };
        Test test;
        QString table;
        QString column;
        QStringList statements;
    };

    /// The steps for a database kind (0 local, otherwise server), in the order they run.
    static QList<Step> upgradeSteps(int dbType);
    /// The statements that make the four tables of a new package file, in order.
    static QStringList packageTables();
    /// The statement whose empty result means there is no category.
    static QString categoryProbe() { return QStringLiteral("select * from reportlb"); }
};

}  // namespace tavi
