#include "ToolBar.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace tavi {

ToolBar::ToolBar(QWidget *parent) : QFrame(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(0);
}

QToolButton *ToolBar::addButton(const QString &name, const QString &caption, int icon)
{
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setIconSize(QSize(16, 16));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(61, 35);
    layout()->addWidget(b);
    return b;
}

QFrame *ToolBar::addSeparator()
{
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(8, 31);
    layout()->addWidget(line);
    return line;
}

void ToolBar::finish()
{
    static_cast<QHBoxLayout *>(layout())->addStretch(1);
}

}  // namespace tavi
