#include "TemplateHighlighter.h"

#include <QRegularExpression>

namespace tavi {

TemplateHighlighter::TemplateHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}

void TemplateHighlighter::highlightBlock(const QString &text)
{
    static const QRegularExpression htmlTag(QStringLiteral("</?[A-Za-z][^>]*>"));
    static const QRegularExpression mustacheTag(QStringLiteral("\\{\\{[^}]*\\}\\}\\}?"));
    QTextCharFormat html;
    html.setForeground(QColor(128, 0, 0));
    for (auto it = htmlTag.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        setFormat(int(m.capturedStart()), int(m.capturedLength()), html);
    }
    QTextCharFormat value;
    value.setForeground(QColor(0, 0, 192));
    value.setFontWeight(QFont::Bold);
    QTextCharFormat section = value;
    section.setForeground(QColor(0, 128, 0));
    for (auto it = mustacheTag.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QChar kind = m.captured().size() > 2 ? m.captured().at(2) : QChar();
        const bool block = kind == u'#' || kind == u'/' || kind == u'^';
        setFormat(int(m.capturedStart()), int(m.capturedLength()), block ? section : value);
    }
}

}  // namespace tavi
