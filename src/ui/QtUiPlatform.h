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
    int execModal(QDialog &dialog) override;

    /// The message box a call would show, for inspection without showing it.
    static void configureBox(QMessageBox &box, Icon icon, const QString &caption,
                             const QString &text);
};

}  // namespace tavi
