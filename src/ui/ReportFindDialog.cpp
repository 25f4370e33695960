#include "ReportFindDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavi {

ReportFindDialog::ReportFindDialog(QWidget *parent)
    : QDialog(parent),
      m_text(new QLineEdit(this)),
      m_next(new QPushButton(this)),
      m_up(new QRadioButton(QStringLiteral("向上(&U)"), this)),
      m_down(new QRadioButton(QStringLiteral("向下(&D)"), this))
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
    m_up->setObjectName(QStringLiteral("rdoUp"));
    m_down->setObjectName(QStringLiteral("rdoDown"));
    m_down->setChecked(true);
    auto *direction = new QGroupBox(QStringLiteral("方向"), this);
    auto *directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(m_up);
    directionRow->addWidget(m_down);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(direction);
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
    connect(m_next, &QPushButton::clicked, this,
            [this] { Q_EMIT findNext(m_text->text(), upwards()); });
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

bool ReportFindDialog::upwards() const
{
    return m_up->isChecked();
}

void ReportFindDialog::setUpwards(bool upwards)
{
    (upwards ? m_up : m_down)->setChecked(true);
}

}  // namespace tavi
