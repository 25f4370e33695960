#include "TemplatePreview.h"

#include <QHBoxLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavi {

TemplatePreview::TemplatePreview(QWidget *parent)
    : QWidget(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("rmPrv"));
    m_document = new QTextDocument(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_bar = new QWidget(this);
    auto *bar = new QHBoxLayout(m_bar);
    bar->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_bar);
    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    m_view->setObjectName(QStringLiteral("prvPages"));
    layout->addWidget(m_view, 1);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { printTo(*printer); });

    connect(
        addButton(QStringLiteral("btnZoomIn"), QStringLiteral("放大"), QStringLiteral("放大预览")),
        &QToolButton::clicked, m_view, [this] { m_view->zoomIn(); });
    connect(
        addButton(QStringLiteral("btnZoomOut"), QStringLiteral("缩小"), QStringLiteral("缩小预览")),
        &QToolButton::clicked, m_view, [this] { m_view->zoomOut(); });
    connect(addButton(QStringLiteral("btnFitWidth"), QStringLiteral("适合宽度"),
                      QStringLiteral("页面宽度适合窗口")),
            &QToolButton::clicked, m_view, &QPrintPreviewWidget::fitToWidth);
    connect(addButton(QStringLiteral("btnWholePage"), QStringLiteral("整页"),
                      QStringLiteral("整页显示")),
            &QToolButton::clicked, m_view, &QPrintPreviewWidget::fitInView);
    connect(addButton(QStringLiteral("btnTplPrint"), QStringLiteral("打印"),
                      QStringLiteral("选择打印机后打印报表")),
            &QToolButton::clicked, this, &TemplatePreview::printRequested);
    connect(addButton(QStringLiteral("btnTplPdf"), QStringLiteral("保存为PDF"),
                      QStringLiteral("把报表保存为PDF文件")),
            &QToolButton::clicked, this, &TemplatePreview::pdfRequested);
    connect(addButton(QStringLiteral("btnTplExcel"), QStringLiteral("导出Excel"),
                      QStringLiteral("把报表的数据导出为Excel文件")),
            &QToolButton::clicked, this, &TemplatePreview::excelRequested);
    bar->addStretch(1);
}

TemplatePreview::~TemplatePreview() = default;

QToolButton *TemplatePreview::addButton(const QString &name, const QString &text,
                                        const QString &tip)
{
    auto *b = new QToolButton(m_bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    m_bar->layout()->addWidget(b);
    return b;
}

void TemplatePreview::setHtml(const QString &html)
{
    m_document->setHtml(html);
    m_view->updatePreview();
}

void TemplatePreview::printTo(QPrinter &printer) const
{
    m_document->print(&printer);
}

}  // namespace tavi
