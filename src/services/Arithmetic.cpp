#include "Arithmetic.h"

#include "Clock.h"
#include "tools/Gbk.h"
#include "tools/TExprParser.h"

namespace tavi {

QString EvalArithmetic(const QString &text)
{
    TExprParser parser;
    parser.setNowSource(&Clock::now);
    parser.SetExpression(Gbk::encode(text));
    parser.Parse();
    return parser.Evaluate().toString();
}

QString EvalDefaultValue(const QString &text)
{
    QString result = text;
    if (result.contains(QLatin1String("[MONTH]")))
        result.replace(QLatin1String("[MONTH]"), QString::number(Clock::today().month()));
    if (result.contains(u'+') || result.contains(u'-') || result.contains(u'*') ||
        result.contains(u'/'))
        result = EvalArithmetic(result);
    return result;
}

}  // namespace tavi
