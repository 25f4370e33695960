#include "ReportColumn.h"

#include "services/SqlMacros.h"

namespace tavi {

ReportColumn ReportColumn::fromDefinition(const ReportColumnDef &def, bool twoLevelTitles)
{
    ReportColumn c;
    c.field = def.field;
    c.title = def.title;
    c.lowerTitle = def.title;
    if (twoLevelTitles) {
        const qsizetype bar = def.title.indexOf(u'|');
        if (bar >= 0) {
            c.upperTitle = def.title.left(bar);
            c.lowerTitle = def.title.mid(bar + 1);
        }
    }
    c.width = def.width >= 20 ? def.width : 40;
    c.fieldFormat = def.fieldFormat;
    c.lookup = def.fieldFormat.contains(QLatin1String("[SQL"));
    if (c.lookup)
        c.lookupTemplate = ExtractListSql(def.fieldFormat);
    else
        c.displayFormat = def.fieldFormat;
    c.totalled = def.hjFlag;
    c.footer = def.hjFlag ? Footer::Sum : Footer::None;
    c.sortId = def.sortId;
    return c;
}

ReportColumn ReportColumn::selectionColumn()
{
    ReportColumn c;
    c.field = QStringLiteral("fieldsel");
    c.title = QStringLiteral("选择");
    c.lowerTitle = c.title;
    c.width = 40;
    c.checkColumn = true;
    return c;
}

}  // namespace tavi
