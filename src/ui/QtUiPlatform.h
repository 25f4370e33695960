#pragma once

#include "services/UiPlatform.h"

class QMessageBox;

namespace tavi {

/// The production platform: Qt message boxes, file dialogs and printers.
class QtUiPlatform : public UiPlatform
{
public:
    void message(QWidget *owner, Icon icon, const QString &caption, const QString &text) override;
    bool question(QWidget *owner, const QString &caption, const QString &text) override;
    QString openFileName(QWidget *owner, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *owner, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QStringList printerNames() override;
    bool print(QWidget *owner, const PrintJob &job) override;
    void preview(QWidget *owner, const PrintJob &job) override;
    int execModal(QDialog &dialog) override;

    /// The caption a box owned by `owner` carries: `caption` (the session's `MsgTitle`) when set;
    /// before anything set it, the title of the library window the owner belongs to, else
    /// "报表中心" — never the program's file name that an empty caption would show.
    static QString boxCaption(QWidget *owner, const QString &caption);

    /// The message box a call would show, for inspection without showing it.
    static void configureBox(QMessageBox &box, Icon icon, const QString &caption,
                             const QString &text);
};

}  // namespace tavi
