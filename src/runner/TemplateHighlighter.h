#pragma once

#include <QSyntaxHighlighter>

namespace tavi {

/// Colours a report template: Mustache tags (`{{…}}`, sections and their ends) and HTML tags.
class TemplateHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit TemplateHighlighter(QTextDocument *document);

protected:
    void highlightBlock(const QString &text) override;
};

}  // namespace tavi
