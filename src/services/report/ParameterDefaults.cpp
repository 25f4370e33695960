#include "ParameterDefaults.h"

#include "services/Arithmetic.h"
#include "services/SqlMacros.h"
#include "tools/CommaText.h"

#include <QRegularExpression>

namespace tavi {

const QStringList &ParameterDefaults::presetNames()
{
    static const QStringList names = {
        QStringLiteral("自选"), QStringLiteral("今天"),   QStringLiteral("昨天"),
        QStringLiteral("当月"), QStringLiteral("上月"),   QStringLiteral("当周"),
        QStringLiteral("上周"), QStringLiteral("当季度"), QStringLiteral("上季度"),
        QStringLiteral("当年"), QStringLiteral("上年")};
    return names;
}

QStringList ParameterDefaults::listItems(const ReportParam &param)
{
    return CommaText::split(ResolveListItems(param.csList));
}

int ParameterDefaults::listDefault(const ReportParam &param, const QStringList &items)
{
    // A default such as "A-B" is arithmetic to the evaluator and may fail: then nothing is chosen.
    try {
        return indexIgnoringCase(items, EvalDefaultValue(param.csDefault));
    } catch (const std::exception &) {
        return -1;
    }
}

QStringList ParameterDefaults::radioItems(const ReportParam &param)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList items = param.csList.split(lineBreak);
    if (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();
    return items;
}

int ParameterDefaults::radioDefault(const ReportParam &param, const QStringList &items)
{
    return indexIgnoringCase(items, param.csDefault);
}

int ParameterDefaults::indexIgnoringCase(const QStringList &items, const QString &wanted)
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

}  // namespace tavi
