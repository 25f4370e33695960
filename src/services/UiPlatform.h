#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QPrinter;
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

    /// A printout: `paint` lays its pages out on the printer it is given, set up already with
    /// the orientation.
    struct PrintJob
    {
        QString title;
        bool landscape = false;
        /// Asks for the printer and the pages first (print only).
        bool askPrinter = false;
        std::function<void(QPrinter &)> paint;
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
    /// Prints on the current printer, at once unless the job asks for the print dialog; false
    /// when nothing was printed.
    virtual bool print(QWidget *owner, const PrintJob &job) = 0;
    /// Shows the preview window of a printout, from which the user may print or save a PDF.
    virtual void preview(QWidget *owner, const PrintJob &job) = 0;
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
