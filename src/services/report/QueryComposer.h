#pragma once

#include "ListValues.h"
#include "ParameterValues.h"
#include "ReportDefinition.h"

#include <QList>
#include <QString>
#include <vector>

namespace tavi {

/// What composing a report's statement gives: the statement to run, the condition summary, and
/// the reason when the run must not happen (then `sql` is empty).
struct ComposedQuery
{
    QString sql;
    /// The condition summary (each entry begins with a blank).
    QString conditionText;
    QString error;

    /// "查询条件为：" + summary, or empty when the summary bar stays hidden.
    QString summaryBarText() const;
};

/// Turns a report statement and the entered parameter values into the statement to run
/// (`ComposeSql`) and the condition summary. Reads nothing itself: the definition's parameters
/// and the rows of cross-table lists are handed in.
///
/// Values that come from the user or from data (typed text, an item a list statement read, a
/// cross-table list value) never change the statement's meaning: where their placeholder stands
/// inside a quoted literal or name, its closing quote is doubled; outside (comments included)
/// only a number or a list of numbers is accepted, and anything else stops the run with a
/// reason. Text the author wrote (the statement, conditions, list items) is taken as written.
class QueryComposer
{
public:
    /// `params` are all the report's parameters in "sort, CSValue" order.
    QueryComposer(const ReportDefinition &definition, const QList<ReportParam> &params,
                  const ParameterValues &values, const QString &modeArg, ListSource lists = {});

    /// The category condition source of a report with a category tree: whether a node is
    /// selected, whether it is the root, and the comma list of its and its descendants' ids.
    struct Category
    {
        bool selected = false;
        bool root = true;
        QString idList;
    };
    void setCategory(const Category &category) { m_category = category; }

    /// The final statement and summary, or the reason it cannot run.
    ComposedQuery ComposeSql();

    /// `RadioCondition`: the condition of an item in "{item=condition}" pairs.
    static QString RadioCondition(const QString &item, const QString &pattern);
    /// The cross-table column alias of a running number: Tavi_Field_Tmp00, …
    static QString crossTableAlias(int number);

private:
    QString condition(const ReportParam &param, QString *shown, QString *error);
    QString valueMarker(const QString &value, const QString &caption);
    QString resolveMarkers(const QString &sql, QString *error) const;
    QString crossTableColumns(const ReportParam &param, int *k);

    struct Value
    {
        QString text;
        QString caption;
    };

    const ReportDefinition &m_def;
    const QList<ReportParam> &m_params;
    const ParameterValues &m_values;
    QString m_modeArg;
    ListSource m_lists;
    Category m_category;
    std::vector<Value> m_markers;
    bool m_textEntered = false;
    QDate m_lastDate;
    bool m_hasLastDate = false;
};

}  // namespace tavi
