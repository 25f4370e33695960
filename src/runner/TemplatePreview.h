#pragma once

#include <QWidget>
#include <memory>

class QPrintPreviewWidget;
class QPrinter;
class QTextDocument;
class QToolButton;

namespace tavi {

/// The embedded preview `rmPrv` of a template report: the rendered page laid out in pages, with
/// zoom, print, save as PDF and save as Excel.
class TemplatePreview : public QWidget
{
    Q_OBJECT

public:
    explicit TemplatePreview(QWidget *parent = nullptr);
    ~TemplatePreview() override;

    /// Shows a rendered page.
    void setHtml(const QString &html);
    /// The page shown; empty before the first rendering.
    QTextDocument *document() const { return m_document; }
    QPrintPreviewWidget *view() const { return m_view; }
    /// Lays the page out on a printer (or a PDF).
    void printTo(QPrinter &printer) const;

Q_SIGNALS:
    void printRequested();
    void pdfRequested();
    void excelRequested();

private:
    QToolButton *addButton(const QString &name, const QString &text, const QString &tip);

    std::unique_ptr<QPrinter> m_printer;
    QTextDocument *m_document = nullptr;
    QPrintPreviewWidget *m_view = nullptr;
    QWidget *m_bar = nullptr;
};

}  // namespace tavi
