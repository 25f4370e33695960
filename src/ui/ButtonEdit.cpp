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
}

void ButtonEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int side = height() - 2;
    m_button->setGeometry(width() - side - 1, 1, side, side);
    setTextMargins(0, 0, side, 0);
}

}  // namespace tavi
