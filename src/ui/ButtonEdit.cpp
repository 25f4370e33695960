#include "ButtonEdit.h"

#include <QResizeEvent>
#include <QToolButton>

namespace tavi {

ButtonEdit::ButtonEdit(QWidget *parent) : QLineEdit(parent), m_button(new QToolButton(this))
{
    m_button->setText(QStringLiteral("…"));
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    connect(m_button, &QToolButton::clicked, this, &ButtonEdit::buttonClicked);
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_chosen = false;
        m_value.clear();
        setToolTip(QString());
    });
}

void ButtonEdit::setChoice(const QString &shown, const QString &value)
{
    m_value = value;
    m_chosen = true;
    setText(shown.isEmpty() ? value : shown);
    setCursorPosition(0);
    setToolTip(text());
}

void ButtonEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int side = height() - 2;
    m_button->setGeometry(width() - side - 1, 1, side, side);
    setTextMargins(0, 0, side, 0);
}

}  // namespace tavi
