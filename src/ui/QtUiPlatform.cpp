#include "QtUiPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinterInfo>

namespace tavi {

namespace {

QWidget *ownerOrActive(QWidget *owner)
{
    return owner ? owner : QApplication::activeWindow();
}

}  // namespace

void QtUiPlatform::configureBox(QMessageBox &box, Icon icon, const QString &caption,
                                const QString &text)
{
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (icon == Icon::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setButtonText(QMessageBox::Yes, QStringLiteral("是(&Y)"));
        box.setButtonText(QMessageBox::No, QStringLiteral("否(&N)"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setButtonText(QMessageBox::Ok, QStringLiteral("确定"));
    }
}

void QtUiPlatform::message(QWidget *owner, Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(ownerOrActive(owner));
    configureBox(box, icon, caption, text);
    box.exec();
}

bool QtUiPlatform::question(QWidget *owner, const QString &caption, const QString &text)
{
    QMessageBox box(ownerOrActive(owner));
    configureBox(box, Icon::Question, caption, text);
    return box.exec() == QMessageBox::Yes;
}

QString QtUiPlatform::openFileName(QWidget *owner, const QString &caption, const QString &dir,
                                   const QString &filter)
{
    return QFileDialog::getOpenFileName(ownerOrActive(owner), caption, dir, filter);
}

QString QtUiPlatform::saveFileName(QWidget *owner, const QString &caption, const QString &dir,
                                   const QString &filter)
{
    return QFileDialog::getSaveFileName(ownerOrActive(owner), caption, dir, filter);
}

QStringList QtUiPlatform::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

int QtUiPlatform::execModal(QDialog &dialog)
{
    return dialog.exec();
}

}  // namespace tavi
