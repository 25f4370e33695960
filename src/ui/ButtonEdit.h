#pragma once

#include <QLineEdit>

class QToolButton;

namespace tavi {

/// A text box with a button at its right end. What the button chose can stand behind the text:
/// the box shows names while it stands for their ids.
class ButtonEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ButtonEdit(QWidget *parent = nullptr);

    QToolButton *button() const { return m_button; }

    /// Shows `shown` while the box stands for `value`; typing in the box drops the choice.
    void setChoice(const QString &shown, const QString &value);
    /// True while a choice stands behind the text.
    bool isChosen() const { return m_chosen; }
    /// The chosen value, or the text typed.
    QString value() const { return m_chosen ? m_value : text(); }

Q_SIGNALS:
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_button;
    QString m_value;
    bool m_chosen = false;
};

}  // namespace tavi
