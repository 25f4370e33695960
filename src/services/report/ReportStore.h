#pragma once

#include "ReportDefinition.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>

namespace tavi {

struct Session;

namespace db {
class Connection;
class Recordset;
}  // namespace db

/// The one home of the report definition tables: every read and write of `ReportList`,
/// `ReportCS`, `ReportField`, `ReportEditField` and `ReportLB` goes through it.
///
/// Reads never raise: a failing statement gives an empty result (and its text where asked for).
/// Writes of several rows run in one transaction and return the engine's text on failure,
/// leaving the tables as they were.
class ReportStore
{
public:
    /// The store of the session's host database.
    explicit ReportStore(Session &session);
    /// The store of another database (a package file) of the given kind (0 local, else server).
    ReportStore(db::Connection &connection, int dbType);

    /// Which parameters of a report to read.
    enum class ParamSet
    {
        /// Those with a control or a condition: neither cross tables nor category sources.
        Panel,
        CrossTables,
        CategorySources,
        All,
    };

    /// One cross-table parameter's generated columns: the template field that stands for them
    /// and one list value per column, in order.
    struct CrossTableList
    {
        QString templateField;
        QStringList values;
    };

    /// A report with its id; `found` is false when there is none.
    ReportDefinition load(int reportId, QString *error = nullptr) const;
    /// The first report with the title; `found` is false when there is none.
    ReportDefinition findByTitle(const QString &title, QString *error = nullptr) const;
    /// Parameters of a report in "sort, CSValue" order.
    QList<ReportParam> params(int reportId, ParamSet set, QString *error = nullptr) const;
    /// One parameter of a report.
    std::optional<ReportParam> param(int reportId, int paramId) const;
    /// Shown columns of a report in display order ("sortid, id").
    QList<ReportColumnDef> shownColumns(int reportId, QString *error = nullptr) const;
    /// Shown columns of a cross-table report: the ordinary ones and, for each list value, a copy of
    /// its template column titled after the value and bound to Tavi_Field_Tmp00, 01, …, ordered
    /// by "sortid, field".
    QList<ReportColumnDef> shownColumns(int reportId, const QList<CrossTableList> &crossTables,
                                        QString *error = nullptr) const;
    /// Every column row of a report, shown or not, in "sortid" order.
    QList<ReportColumnDef> allColumns(int reportId, QString *error = nullptr) const;
    /// Editable fields of a report in "sortid" order.
    QList<ReportEditField> editFields(int reportId, QString *error = nullptr) const;
    /// The whole definition with its rows; `report.found` is false when there is none.
    ReportDefinitionRows loadRows(int reportId, QString *error = nullptr) const;

    /// Width and position of each grid column by its field, in display order from 0.
    struct LayoutColumn
    {
        QString field;
        int width = 0;
    };
    /// Stores the grid layout; columns without a stored row change nothing.
    bool saveLayout(int reportId, const QList<LayoutColumn> &columns, QString *error);

    /// Writes a whole definition: a new report when `report.id` is 0 (or names no row), else
    /// replaces the stored row and its columns and parameters (and editable fields when
    /// `withEditFields`). Columns get SortID 1, 2, …, parameters sort 0, 1, …; on success
    /// `rows.report.id` holds the report's id. All or nothing.
    bool save(ReportDefinitionRows &rows, bool withEditFields, QString *error);
    /// Deletes a report with its columns, parameters and editable fields. All or nothing.
    bool remove(int reportId, QString *error);
    /// Copies one report with all its rows into another store as a new report of a category;
    /// the copied rows carry the id the new report received.
    static bool copyReport(const ReportStore &from, int reportId, ReportStore &to, int categoryId,
                           int *newId, QString *error);

    /// Copies one report with all its rows into another store under the same id and category,
    /// as a package keeps them. All or nothing.
    static bool copyReportKeepingId(const ReportStore &from, int reportId, ReportStore &to,
                                    QString *error);

    /// Reports of a category (>0), the favourites (-1) or all (0), ordered by number (BH).
    QList<ReportDefinition> reports(int categoryTag, QString *error = nullptr) const;
    /// The same, keeping those whose title or number contains `search` (letter case ignored).
    QList<ReportDefinition> reports(int categoryTag, const QString &search, QString *error) const;
    bool setFavourite(int reportId, bool favourite, QString *error);

    /// Categories in table order.
    QList<ReportCategory> categories(QString *error = nullptr) const;
    /// Name of a category; empty when there is none.
    QString categoryName(int categoryId) const;
    /// Id of the first category with a name; 0 when there is none.
    int categoryId(const QString &name) const;
    bool addCategory(const QString &name, int orderId, int *newId, QString *error);
    bool updateCategory(const ReportCategory &category, QString *error);
    bool removeCategory(int categoryId, QString *error);

private:
    std::unique_ptr<db::Recordset> select(const QString &sql, const QVariantList &params,
                                          QString *error) const;
    QStringList columnsOf(const QString &table) const;
    /// The definition in the current row of a `ReportList` query.
    ReportDefinition definitionOf(const db::Recordset &rows) const;
    QString shownTest() const;
    QVariant boolValue(bool value) const;
    QList<ReportColumnDef> readColumns(const QString &sql, const QVariantList &params,
                                       QString *error) const;
    void insertRows(const ReportDefinitionRows &rows, int reportId, bool withEditFields);
    bool write(ReportDefinitionRows &rows, bool withEditFields, bool keepId, QString *error);

    db::Connection &m_connection;
    int m_dbType;
    /// The host's folder, for template paths; empty for a package.
    QString m_appPath;
};

}  // namespace tavi
