#pragma once

#include "ColumnData.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tavi::db {

/// A compiled row filter in the syntax of the ADO recordset Filter property.
///
/// Accepted: clauses `field op value` with the operators = <> < > <= >= LIKE (wildcards * or %
/// anywhere in the pattern), also `field IS [NOT] NULL` and `= NULL` / `<> NULL`; clauses joined
/// by AND and OR (AND binds tighter) and grouped with parentheses. Field names are plain words
/// or in [brackets], letter case ignored. Values are texts in single quotes (a quote doubled
/// inside), numbers, dates between # signs (#2026-12-11#, #12/11/2026 10:00:00#), TRUE, FALSE (-1,
/// 0) and NULL. Texts compare without regard to letter case.
class RowFilter
{
public:
    /// How a field of the filter reads its values.
    struct Field
    {
        const ColumnData *data = nullptr;       // stored column, or
        std::function<QVariant(int)> computed;  // value of a row id for calculated columns
    };
    using FieldResolver = std::function<std::optional<Field>(const QString &name)>;

    ~RowFilter();

    /// Compiles a filter; throws `DbError` with a message naming the fault.
    static std::unique_ptr<RowFilter> parse(const QString &text, const FieldResolver &resolve);

    /// True when the stored row passes the filter.
    bool matches(int rowId) const;

    struct Node;

private:
    RowFilter() = default;
    std::unique_ptr<Node> m_root;
};

}  // namespace tavi::db
