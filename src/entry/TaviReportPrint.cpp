#include "TaviReportPrint.h"

#include "CallSession.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/SysInfo.h"
#include "services/UiPlatform.h"
#include "services/report/ReportStore.h"
#include "tools/Gbk.h"
#include "ui/QtUiPlatform.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavi {

namespace {

const char *const kNoWindow = "此版本没有可显示的窗口。";

QString fromHost(const char *text)
{
    return text ? Gbk::decode(QByteArrayView(text, qsizetype(std::strlen(text)))) : QString();
}

// A QApplication for hosts that are no Qt programs, for the length of one call.
class ApplicationScope
{
public:
    ApplicationScope()
    {
        if (!QCoreApplication::instance())
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    /// False when the host made a QCoreApplication without widgets, which cannot show windows.
    bool hasWidgets() const { return qobject_cast<QApplication *>(QCoreApplication::instance()); }

private:
    int m_argc = 1;
    char m_name[16] = "tavireport";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Message boxes on screen unless a platform (a test's) is already installed, or TAVI_UI=console
// asks for messages on standard error (scripts and headless checks).
class PlatformScope
{
public:
    PlatformScope()
    {
        if (!UiPlatform::isInstalled() &&
            qEnvironmentVariable("TAVI_UI") != QLatin1String("console")) {
            UiPlatform::setInstance(&m_qt);
            m_installed = true;
        }
    }
    ~PlatformScope()
    {
        if (m_installed)
            UiPlatform::setInstance(nullptr);
    }

private:
    QtUiPlatform m_qt;
    bool m_installed = false;
};

int dispatch(const QString &title, const QString &option, bool toolbar, char **selected)
{
    const OptionParts parts = splitOption(option);
    if (title.trimmed().isEmpty()) {
        if (!WindowRegistry::centre()) {
            MsgInfo(nullptr, QString::fromUtf8(kNoWindow));
            return 0;
        }
        WindowRegistry::centre()(toolbar);
        return 0;
    }
    if (title == QStringLiteral("未来房态图")) {
        if (!WindowRegistry::roomState()) {
            MsgInfo(nullptr, QString::fromUtf8(kNoWindow));
            return 0;
        }
        WindowRegistry::roomState()();
        return 0;
    }
    const ReportDefinition report = ReportStore(session()).findByTitle(title);
    const int id = report.found ? report.id : 0;
    if (id == 0) {
        MsgInfo(nullptr, QStringLiteral("找不到报表相关配置！"));
        return 0;
    }
    if (!WindowRegistry::runner()) {
        MsgInfo(nullptr, QString::fromUtf8(kNoWindow));
        return 0;
    }
    const RunnerOutcome outcome = WindowRegistry::runner()({id, parts.modeArg, parts.preFilter});
    if (report.type() != ReportType::InformationSelection || outcome.modalResult != 1)
        return 0;
    if (selected) {
        const QByteArray gbk = Gbk::encode(outcome.resultText);
        char *text = static_cast<char *>(std::malloc(size_t(gbk.size()) + 1));
        if (!text)
            return 0;
        std::memcpy(text, gbk.constData(), size_t(gbk.size()) + 1);
        *selected = text;
    }
    return 1;
}

}  // namespace

OptionParts splitOption(const QString &option)
{
    if (option.startsWith(QLatin1String("NONULTI:")))
        return {QStringLiteral("NONULTI"), option.mid(8)};
    return {option, QString()};
}

}  // namespace tavi

extern "C" TAVI_EXPORT int32_t TAVI_CALL TaviReportPrint(int32_t dbType, const char *userName,
                                                         const char *officeName,
                                                         const char * /*reserved*/,
                                                         const char *title, const char *option,
                                                         int32_t toolbarFlag, char **selected)
{
    using namespace tavi;
    ApplicationScope application;
    // Checked before any platform is installed: a message box in a host without widgets
    // would abort it.
    if (!application.hasWidgets()) {
        std::fputs("TaviReportPrint: 宿主程序没有图形界面（QApplication），不能显示报表窗口。\n",
                   stderr);
        return 0;
    }
    PlatformScope platform;
    // No exception may cross into a host that is no C++ program; the scopes inside the try
    // still tear the call down on the way out.
    try {
        CallSession call(dbType, fromHost(userName), fromHost(officeName));
        if (!call.open())
            return -1;
        return dispatch(fromHost(title), fromHost(option), toolbarFlag == 1, selected);
    } catch (const std::exception &e) {
        MsgInfo(nullptr, QStringLiteral("报表中心内部错误：") + QString::fromLocal8Bit(e.what()));
        return 0;
    } catch (...) {
        MsgInfo(nullptr, QStringLiteral("报表中心内部错误。"));
        return 0;
    }
}
