#include "ReportLBFrm.h"

#include "services/Messages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavi {

TfrmReportLB::TfrmReportLB(const QString &caption, const QString &parentCaption,
                           const QString &name, Save save, QWidget *parent)
    : TfrmBase(parent), m_save(std::move(save))
{
    setObjectName(QStringLiteral("frmReportLB"));
    setWindowTitle(caption);
    setFixedSize(322, 159);

    auto *box = new QGroupBox(caption, this);
    box->setObjectName(QStringLiteral("GroupBox1"));
    box->setGeometry(8, 6, 306, 104);
    auto *nameLabel = new QLabel(QStringLiteral("分类名称："), box);
    nameLabel->setGeometry(16, 28, 72, 20);
    m_edtName = new QLineEdit(name, box);
    m_edtName->setObjectName(QStringLiteral("edtName"));
    m_edtName->setGeometry(90, 26, 180, 22);
    auto *parentLabel = new QLabel(QStringLiteral("上级分类："), box);
    parentLabel->setGeometry(16, 64, 72, 20);
    auto *parentName = new QLabel(parentCaption, box);
    parentName->setObjectName(QStringLiteral("lblParent"));
    parentName->setGeometry(90, 64, 200, 20);

    auto *btnSave = new QPushButton(QStringLiteral("保存(&S)"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setGeometry(150, 122, 75, 25);
    btnSave->setDefault(true);
    auto *btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(234, 122, 75, 25);
    connect(btnSave, &QPushButton::clicked, this, &TfrmReportLB::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TfrmReportLB::name() const
{
    return m_edtName->text();
}

void TfrmReportLB::btnSaveClick()
{
    if (name().trimmed().isEmpty()) {
        MsgInfo(this, QStringLiteral("分类名称不能为空"));
        m_edtName->setFocus();
        return;
    }
    QString error;
    if (!m_save(name(), &error)) {
        MsgInfo(this, error);
        return;
    }
    accept();
}

}  // namespace tavi
