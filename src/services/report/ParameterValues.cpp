#include "ParameterValues.h"

namespace tavi {

QString ParameterValues::labelCaption(const ReportParam &param) const
{
    QString caption = param.csName;
    caption.remove(QStringLiteral("[LASTDAY]"));
    if (!caption.endsWith(QStringLiteral("：")) && !caption.endsWith(u':'))
        caption += QStringLiteral("：");
    return caption;
}

}  // namespace tavi
