#pragma once

#include "SysInfo.h"

#include <QString>

namespace tavi {

class Tdm;

/// What one call of the library shares between its windows and routines: the session record,
/// the business-day settings, the message caption and the data module.
struct Session
{
    TSysInfo SysInfo;
    /// Day offset of the start of a date period.
    int GInt_BBT1 = 0;
    /// Day code of the end of a date period.
    int GInt_BBT2 = 0;
    /// Time of day ("HH:mm") at which a date period starts.
    QString GDt_BBT1 = QStringLiteral("00:00");
    /// Time of day ("HH:mm") at which a date period ends.
    QString GDt_BBT2 = QStringLiteral("23:59");
    /// Caption of every message box; empty until the report centre sets it.
    QString MsgTitle;
    /// The data module of the call in progress; null between calls.
    Tdm *dm = nullptr;
};

/// The session of the call in progress; between calls, what the last call left in it.
Session &session();

/// Gives a scope a fresh session of its own and brings the previous one back after it.
class ScopedSession
{
public:
    ScopedSession();
    ~ScopedSession();
    ScopedSession(const ScopedSession &) = delete;
    ScopedSession &operator=(const ScopedSession &) = delete;

    Session &operator*() { return m_session; }
    Session *operator->() { return &m_session; }

private:
    Session m_session;
    Session *m_previous;
};

}  // namespace tavi
