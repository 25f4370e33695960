#pragma once

#include "ParameterValues.h"
#include "QueryComposer.h"
#include "ReportColumn.h"
#include "ReportDefinition.h"
#include "ReportStore.h"

#include <QList>
#include <QString>
#include <vector>

namespace tavi {

struct Session;

namespace db {
class Recordset;
}

/// One report run without a window: the grid's columns, the range limits of date-list cross
/// tables, composition, the selection copy, the conversion for the local engine, the host's
/// pre-filter and execution into a result set. The runner window, the command line and every
/// output (printing, export, templates) drive it; none of its steps shows anything: a step that
/// fails leaves its reason in `error()`.
class ReportRun
{
public:
    ReportRun(Session &session, const ReportDefinition &definition, const ParameterValues &values,
              const QString &modeArg = QString(), const QString &preFilter = QString());

    const ReportDefinition &definition() const { return m_def; }
    /// True for a multi-selection list: type 2 without "NONULTI".
    bool isMultiSelection() const;
    void setCategory(const QueryComposer::Category &category) { m_category = category; }

    /// Builds the grid's columns for the current parameter values; when the stored columns
    /// cannot be read there are none, and `error()` names the cause.
    const QList<ReportColumn> &buildColumns();
    const QList<ReportColumn> &columns() const { return m_columns; }
    /// True when the columns follow the panel's date range (date-list cross tables).
    bool columnsFollowDateRange() const { return m_dependsOnRange; }

    /// Before a run: checks the range limits of date-list columns and builds those columns again
    /// for the current range. False, with the reason, when the range is too long; `rebuilt` tells
    /// whether the columns changed.
    bool prepare(bool *rebuilt = nullptr);

    enum class Outcome
    {
        Ran,
        /// Nothing ran: the values or the statement were refused, or the database failed; the
        /// result set is closed (except when composition refused) and `error()` says why.
        Failed,
        /// The user cancelled the statement; the result set keeps its previous rows.
        Cancelled,
    };
    /// Composes and runs the report into the result set.
    Outcome run(db::Recordset &result);

    const QString &error() const { return m_error; }
    /// The composed statement of the last run, before conversion (the test panel shows it).
    const QString &composedSql() const { return m_composed; }
    /// The statement handed to the database in the last run.
    const QString &finalSql() const { return m_final; }
    const QString &conditionText() const { return m_conditionText; }
    const QString &summaryBarText() const { return m_summary; }
    /// One unticked flag per row of the last run of a multi-selection list.
    std::vector<bool> takeSelectionFlags() { return std::move(m_selectionFlags); }

private:
    Session &m_session;
    ReportStore m_store;
    ReportDefinition m_def;
    const ParameterValues &m_values;
    QString m_modeArg;
    QString m_preFilter;
    QList<ReportParam> m_params;
    QList<ReportColumn> m_columns;
    int m_listKind = -1;
    bool m_dependsOnRange = false;
    QueryComposer::Category m_category;
    QString m_error;
    QString m_composed;
    QString m_final;
    QString m_conditionText;
    QString m_summary;
    std::vector<bool> m_selectionFlags;
};

}  // namespace tavi
