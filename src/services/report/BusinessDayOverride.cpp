#include "BusinessDayOverride.h"

#include "services/Session.h"

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
    m_bbt1 = session().GInt_BBT1;
    m_bbt2 = session().GInt_BBT2;
    m_dt1 = session().GDt_BBT1;
    m_dt2 = session().GDt_BBT2;
    session().GInt_BBT1 = 0;
    session().GInt_BBT2 = 0;
    session().GDt_BBT1 = QStringLiteral("00:00");
    session().GDt_BBT2 = QStringLiteral("23:59");
}

void BusinessDayOverride::restore()
{
    if (!m_set)
        return;
    m_set = false;
    session().GInt_BBT1 = m_bbt1;
    session().GInt_BBT2 = m_bbt2;
    session().GDt_BBT1 = m_dt1;
    session().GDt_BBT2 = m_dt2;
}

}  // namespace tavi
