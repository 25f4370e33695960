#include "UiPlatform.h"

#include <cstdio>

namespace tavi {

namespace {

// The fallback for processes without a screen: nothing is ever confirmed.
class ConsoleUiPlatform : public UiPlatform
{
public:
    void message(QWidget *, Icon, const QString &caption, const QString &text) override
    {
        const QByteArray line =
            (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text).toLocal8Bit();
        std::fprintf(stderr, "%s\n", line.constData());
    }
    bool question(QWidget *owner, const QString &caption, const QString &text) override
    {
        message(owner, Icon::Question, caption, text);
        return false;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QStringList printerNames() override { return {}; }
    bool print(QWidget *, const PrintJob &) override { return false; }
    void preview(QWidget *, const PrintJob &) override {}
    int execModal(QDialog &) override { return 0; }
};

UiPlatform *&current()
{
    static UiPlatform *platform = nullptr;
    return platform;
}

}  // namespace

UiPlatform &UiPlatform::instance()
{
    static ConsoleUiPlatform console;
    UiPlatform *p = current();
    return p ? *p : console;
}

bool UiPlatform::isInstalled()
{
    return current() != nullptr;
}

void UiPlatform::setInstance(UiPlatform *platform)
{
    current() = platform;
}

}  // namespace tavi
