#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace tavi {

/// Everything that needs a person at a screen: message boxes, file dialogs, the printers and
/// modal showing. Production installs the Qt implementation; tests install a scripted one;
/// without either, messages go to standard error and every question is answered "no".
class UiPlatform
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Question,
        Error
    };

    virtual ~UiPlatform() = default;

    /// Shows a message with an OK button.
    virtual void message(QWidget *owner, Icon icon, const QString &caption,
                         const QString &text) = 0;
    /// Asks a yes/no question; true for yes.
    virtual bool question(QWidget *owner, const QString &caption, const QString &text) = 0;
    /// File name chosen to open, empty when cancelled.
    virtual QString openFileName(QWidget *owner, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    /// File name chosen to save to, empty when cancelled.
    virtual QString saveFileName(QWidget *owner, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    /// Names of the installed printers.
    virtual QStringList printerNames() = 0;
    /// Shows a dialog modally and returns its result code.
    virtual int execModal(QDialog &dialog) = 0;

    /// The process-wide instance.
    static UiPlatform &instance();
    /// Installs an instance (not owned); nullptr restores the standard-error fallback.
    static void setInstance(UiPlatform *platform);
    /// True when an instance is installed (the fallback does not count).
    static bool isInstalled();
};

}  // namespace tavi
