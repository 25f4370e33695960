#pragma once

#include <QString>
#include <memory>

namespace tavi {

class Tdm;

/// One call's session: the session record filled, the data module created, and on `open` the
/// connection, the table upgrade and the session settings; torn down when it ends.
class CallSession
{
public:
    CallSession(int dbType, const QString &userName, const QString &officeName);
    ~CallSession();
    CallSession(const CallSession &) = delete;
    CallSession &operator=(const CallSession &) = delete;

    /// Connects, upgrades the definition tables and reads the session settings; false when the
    /// database cannot be opened (the user has been told).
    bool open();

private:
    int m_dbType;
    std::unique_ptr<Tdm> m_dm;
};

}  // namespace tavi
