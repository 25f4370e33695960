#pragma once

#include <QFrame>
#include <QString>

class QToolButton;

namespace tavi {

/// The windows' tool bar: a row of flat buttons, caption under a 16-pixel icon, 61 × 35 each,
/// with sunken separators between groups.
class ToolBar : public QFrame
{
    Q_OBJECT

public:
    explicit ToolBar(QWidget *parent = nullptr);

    /// Appends a button with a standard icon (`QStyle::StandardPixmap`).
    QToolButton *addButton(const QString &name, const QString &caption, int icon);
    QFrame *addSeparator();
    /// Ends the row: what follows the last button is empty space.
    void finish();
};

}  // namespace tavi
