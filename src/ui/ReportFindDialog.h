#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace tavi {

/// The grid's find dialog: a text, the direction and "find next"; the grid does the searching,
/// round past the last (or first) row.
class ReportFindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportFindDialog(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    /// "向上": the search goes towards the first row.
    bool upwards() const;
    void setUpwards(bool upwards);

Q_SIGNALS:
    /// The user asked for the next cell holding `text` in the chosen direction.
    void findNext(const QString &text, bool upwards);

private:
    QLineEdit *m_text;
    QPushButton *m_next;
    QRadioButton *m_up;
    QRadioButton *m_down;
};

}  // namespace tavi
