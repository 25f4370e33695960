#include "ReportFindDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

ReportFindDialog::ReportFindDialog(QWidget *parent)
    : QDialog(parent), m_text(new QLineEdit(this)), m_next(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("查找"));
    m_text->setObjectName(QStringLiteral("edtFind"));
    m_next->setObjectName(QStringLiteral("btnFindNext"));
    m_next->setText(QStringLiteral("查找下一个(&F)"));
    m_next->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setAutoDefault(false);

    auto *label = new QLabel(QStringLiteral("查找内容(&N)："), this);
    label->setBuddy(m_text);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_next);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    m_text->setMinimumWidth(180);
    m_next->setEnabled(false);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString &t) { m_next->setEnabled(!t.isEmpty()); });
    connect(m_next, &QPushButton::clicked, this, [this] { Q_EMIT findNext(m_text->text()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString ReportFindDialog::text() const
{
    return m_text->text();
}

void ReportFindDialog::setText(const QString &text)
{
    m_text->setText(text);
}

}  // namespace tavi
