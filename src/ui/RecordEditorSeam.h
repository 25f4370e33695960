#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tavi::db {
class Recordset;
}

namespace tavi {

/// What the runner hands the record editor: it works on the runner's current row (or appends
/// one) in the runner's result set.
struct RecordEditorRequest
{
    int reportId = 0;
    bool addMode = false;
    int categoryId = 0;
    QString tableName;
    db::Recordset *resultSet = nullptr;
    QWidget *owner = nullptr;
};

/// Where the record editor plugs into the runner; it shows the editor modally and returns its
/// modal result. Without an editor, adding and changing records says so.
class RecordEditorSeam
{
public:
    using Editor = std::function<int(const RecordEditorRequest &)>;

    static void setEditor(Editor editor);
    static const Editor &editor();
};

}  // namespace tavi
