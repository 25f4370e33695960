#pragma once

#include "ReportDefinition.h"

#include <QHash>
#include <QList>
#include <QString>

namespace tavi {

namespace db {
class Connection;
}

/// The checks of the record editor before a record is saved: required text fields, then the
/// duplicate check against the report's table over the text fields marked for it.
class RecordValidator
{
public:
    struct Result
    {
        bool accepted = true;
        QString message;
        /// The field whose input takes the focus; 0 for none.
        int fieldId = 0;
    };

    /// `texts` holds the text of each text input by its field's row id. When editing,
    /// `currentId` is the record's own id, which never counts as a duplicate. An empty table
    /// skips the duplicate check.
    static Result validate(const QList<ReportEditField> &fields, const QHash<int, QString> &texts,
                           const QString &table, bool addMode, const QString &currentId,
                           db::Connection &connection);
};

}  // namespace tavi
