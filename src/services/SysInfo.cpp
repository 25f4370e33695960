#include "SysInfo.h"

namespace tavi {

TSysInfo SysInfo;
int GInt_BBT1 = 0;
int GInt_BBT2 = 0;
QString GDt_BBT1 = QStringLiteral("00:00");
QString GDt_BBT2 = QStringLiteral("23:59");

}  // namespace tavi
