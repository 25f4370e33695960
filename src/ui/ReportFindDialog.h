#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tavi {

/// The grid's find dialog: a text and "find next"; the grid does the searching.
class ReportFindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportFindDialog(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

Q_SIGNALS:
    /// The user asked for the next cell holding `text`.
    void findNext(const QString &text);

private:
    QLineEdit *m_text;
    QPushButton *m_next;
};

}  // namespace tavi
