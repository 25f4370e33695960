#pragma once

#include <QLineEdit>

class QToolButton;

namespace tavi {

/// A text box with a button at its right end.
class ButtonEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ButtonEdit(QWidget *parent = nullptr);

    QToolButton *button() const { return m_button; }

Q_SIGNALS:
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_button;
};

}  // namespace tavi
