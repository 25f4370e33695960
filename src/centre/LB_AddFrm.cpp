#include "LB_AddFrm.h"

#include "services/Messages.h"
#include "services/Session.h"
#include "services/report/ReportStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavi {

TfrmLB_Add::TfrmLB_Add(QWidget *parent) : TfrmBase(parent)
{
    setObjectName(QStringLiteral("frmLB_Add"));
    setWindowTitle(QStringLiteral("报表类别"));
    setFixedSize(271, 161);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("edtName"));
    m_name->setMaxLength(50);
    m_orderId = new QLineEdit(this);
    m_orderId->setObjectName(QStringLiteral("edtOrderID"));
    auto *ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setAutoDefault(false);
    m_goOn = new QCheckBox(QStringLiteral("添加完成后继续添加下一条"), this);
    m_goOn->setObjectName(QStringLiteral("chkGoOn"));

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("名  称："), this), 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("排序ID："), this), 1, 0);
    fields->addWidget(m_orderId, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(fields);
    main->addLayout(buttons);
    main->addWidget(m_goOn);

    connect(ok, &QPushButton::clicked, this, &TfrmLB_Add::btnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLB_Add::showEvent(QShowEvent *event)
{
    startRow();
    TfrmBase::showEvent(event);
}

void TfrmLB_Add::startRow()
{
    if (m_isNew) {
        // A new category goes after the others unless the operator says otherwise.
        int next = 0;
        for (const ReportCategory &c : ReportStore(session()).categories())
            next = std::max(next, c.orderId + 1);
        m_name->clear();
        m_orderId->setText(QString::number(next));
    } else {
        m_name->setText(m_category.name);
        m_orderId->setText(QString::number(m_category.orderId));
    }
    m_name->setFocus();
}

void TfrmLB_Add::btnOKClick()
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        MsgInfo(this, QStringLiteral("名称不能为空"));
        m_name->setFocus();
        return;
    }
    const QString order = m_orderId->text().trimmed();
    if (order.isEmpty()) {
        MsgInfo(this, QStringLiteral("排序ID不能为空"));
        m_orderId->setFocus();
        return;
    }
    bool isNumber = false;
    const int orderId = order.toInt(&isNumber);
    if (!isNumber) {
        MsgInfo(this, QStringLiteral("排序ID必须是整数"));
        m_orderId->setFocus();
        return;
    }
    ReportStore store(session());
    // The wizard finds a category by its name: two of one name would be one.
    const int sameName = store.categoryId(name);
    if (sameName != 0 && (m_isNew || sameName != m_category.id)) {
        MsgInfo(this, QStringLiteral("类别[") + name + QStringLiteral("]已经存在"));
        m_name->setFocus();
        return;
    }
    QString error;
    int id = m_category.id;
    const bool stored = m_isNew ? store.addCategory(name, orderId, &id, &error)
                                : store.updateCategory({id, name, orderId}, &error);
    if (!stored) {
        MsgWarning(this, error);
        return;
    }
    m_storedId = id;
    ++m_storedCount;
    if (m_goOn->isChecked()) {
        m_isNew = true;
        startRow();
        return;
    }
    accept();
}

}  // namespace tavi
