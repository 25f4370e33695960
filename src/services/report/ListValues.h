#pragma once

#include "ParameterValues.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tavi {

namespace db {
class Connection;
}

/// One row of a list statement: its first column as text and, for a date list, the day it
/// stands for.
struct ListValue
{
    QString text;
    std::optional<DateRange> days;
};

/// Runs a list statement of a definition (cross-table columns); no rows when it fails.
using ListSource = std::function<QList<ListValue>(const QString &sql)>;

/// The rows of a list statement on a connection, opened like every definition-driven query.
QList<ListValue> readListValues(db::Connection &connection, const QString &sql);

}  // namespace tavi
