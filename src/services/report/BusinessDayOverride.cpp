#include "BusinessDayOverride.h"

#include "services/SysInfo.h"

namespace tavi {

BusinessDayOverride::~BusinessDayOverride()
{
    restore();
}

void BusinessDayOverride::engage()
{
    if (m_set)
        return;
    m_set = true;
    m_bbt1 = GInt_BBT1;
    m_bbt2 = GInt_BBT2;
    m_dt1 = GDt_BBT1;
    m_dt2 = GDt_BBT2;
    GInt_BBT1 = 0;
    GInt_BBT2 = 0;
    GDt_BBT1 = QStringLiteral("00:00");
    GDt_BBT2 = QStringLiteral("23:59");
}

void BusinessDayOverride::restore()
{
    if (!m_set)
        return;
    m_set = false;
    GInt_BBT1 = m_bbt1;
    GInt_BBT2 = m_bbt2;
    GDt_BBT1 = m_dt1;
    GDt_BBT2 = m_dt2;
}

}  // namespace tavi
