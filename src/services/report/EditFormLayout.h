#pragma once

#include "ReportDefinition.h"

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

namespace tavi {

/// Where the record editor puts the label and the input of each editable field: two columns
/// inside a group box, each column's inputs starting under the first line's, memos and long
/// inputs across the line.
class EditFormLayout
{
public:
    /// The input a field gets.
    enum class Input
    {
        None,
        Text,
        LongText,
        Amount,
        Number,
        Memo,
        Date,
        DropDown,
        Radio,
        Check,
        Button,
        File,
        Category,
        Detail,
    };

    struct Cell
    {
        ReportEditField field;
        Input input = Input::None;
        /// Caption of the label ("：" appended where the title has no colon); empty for a check
        /// box, which carries its title itself.
        QString caption;
        QRect label;
        QRect box;
    };

    /// The input of a field type; `fieldValue` tells a file input from a button box.
    static Input inputOf(const QString &lx, const QString &fieldValue);
    /// A field's label caption.
    static QString captionOf(const QString &title);

    /// Lays out the fields in order; `textWidth` measures a label's caption.
    EditFormLayout(const QList<ReportEditField> &fields,
                   const std::function<int(const QString &)> &textWidth);

    const QList<Cell> &cells() const { return m_cells; }
    /// The group box, relative to the window.
    QRect group() const { return m_group; }
    QRect saveButton() const { return m_save; }
    QRect cancelButton() const { return m_cancel; }
    QSize windowSize() const { return m_window; }

private:
    QList<Cell> m_cells;
    QRect m_group;
    QRect m_save;
    QRect m_cancel;
    QSize m_window;
};

}  // namespace tavi
