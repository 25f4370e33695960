#include "TemplateDesignFrm.h"

#include "TemplateHighlighter.h"
#include "services/Messages.h"
#include "services/report/ReportGridModel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace tavi {

TfrmTemplateDesign::TfrmTemplateDesign(const QString &path, const ReportGridModel &model,
                                       const ReportTemplate::Variables &variables, QWidget *parent)
    : TfrmBase(parent), m_path(path), m_model(model), m_variables(variables)
{
    setObjectName(QStringLiteral("TfrmTemplateDesign"));
    setWindowTitle(QStringLiteral("报表模板设计 - ") + QFileInfo(path).fileName());
    resize(1000, 640);
    auto *layout = new QVBoxLayout(this);
    auto *split = new QSplitter(this);
    layout->addWidget(split, 1);

    m_lstNames = new QListWidget(split);
    m_lstNames->setObjectName(QStringLiteral("lstNames"));
    m_lstNames->setToolTip(QStringLiteral("双击插入到模板的光标处"));
    m_lstNames->addItems(ReportTemplate::names(model));
    for (const QString &section : {QStringLiteral("#rows"), QStringLiteral("/rows")})
        m_lstNames->addItem(section);

    m_mmoTemplate = new QPlainTextEdit(split);
    m_mmoTemplate->setObjectName(QStringLiteral("mmoTemplate"));
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    m_mmoTemplate->setFont(mono);
    new TemplateHighlighter(m_mmoTemplate->document());
    QString text;
    ReportTemplate::readFile(path, &text);
    m_mmoTemplate->setPlainText(text);

    auto *right = new QWidget(split);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_prvTemplate = new QTextBrowser(right);
    m_prvTemplate->setObjectName(QStringLiteral("prvTemplate"));
    rightLayout->addWidget(m_prvTemplate, 1);
    m_lblError = new QLabel(right);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setStyleSheet(QStringLiteral("color: #c00000"));
    m_lblError->setWordWrap(true);
    rightLayout->addWidget(m_lblError);
    split->setSizes({160, 440, 400});

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("btnSave"));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    // The preview follows the typing after a short pause, not at every key.
    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(300);
    connect(m_refresh, &QTimer::timeout, this, &TfrmTemplateDesign::refreshPreview);
    connect(m_mmoTemplate, &QPlainTextEdit::textChanged, m_refresh, qOverload<>(&QTimer::start));
    connect(m_lstNames, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { insertName(item->text()); });
    connect(save, &QPushButton::clicked, this, &TfrmTemplateDesign::btnSaveClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    refreshPreview();
}

void TfrmTemplateDesign::refreshPreview()
{
    QString error;
    const QString html =
        ReportTemplate::render(m_mmoTemplate->toPlainText(), m_model, m_variables, &error);
    m_lblError->setText(error.isEmpty() ? QString() : QStringLiteral("模板有错误：") + error);
    if (error.isEmpty())
        m_prvTemplate->setHtml(html);
}

void TfrmTemplateDesign::insertName(const QString &name)
{
    m_mmoTemplate->insertPlainText(QStringLiteral("{{") + name + QStringLiteral("}}"));
    m_mmoTemplate->setFocus();
}

void TfrmTemplateDesign::btnSaveClick()
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_mmoTemplate->toPlainText().toUtf8()) < 0 ||
        !file.commit()) {
        MsgInfo(this, QStringLiteral("模板保存失败：") + file.errorString());
        return;
    }
    accept();
}

}  // namespace tavi
