#include "QtUiPlatform.h"

#include "BaseFrm.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace tavi {

namespace {

QWidget *ownerOrActive(QWidget *owner)
{
    return owner ? owner : QApplication::activeWindow();
}

}  // namespace

QString QtUiPlatform::boxCaption(QWidget *owner, const QString &caption)
{
    if (!caption.isEmpty())
        return caption;
    // A find dialog or a panel inside a report window speaks for that window's report.
    for (QWidget *w = ownerOrActive(owner); w; w = w->parentWidget()) {
        if (qobject_cast<TfrmBase *>(w) && !w->windowTitle().isEmpty())
            return w->windowTitle();
    }
    return QStringLiteral("报表中心");
}

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
    configureBox(box, icon, boxCaption(owner, caption), text);
    box.exec();
}

bool QtUiPlatform::question(QWidget *owner, const QString &caption, const QString &text)
{
    QMessageBox box(ownerOrActive(owner));
    configureBox(box, Icon::Question, boxCaption(owner, caption), text);
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

bool QtUiPlatform::print(QWidget *owner, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid())
        return false;
    printer.setDocName(job.title);
    printer.setPageOrientation(job.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (job.askPrinter) {
        QPrintDialog dialog(&printer, ownerOrActive(owner));
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    job.paint(printer);
    return printer.printerState() != QPrinter::Error;
}

void QtUiPlatform::preview(QWidget *owner, const PrintJob &job)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.title);
    printer.setPageOrientation(job.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintPreviewDialog dialog(&printer, ownerOrActive(owner));
    dialog.setWindowTitle(job.title.isEmpty() ? QStringLiteral("预览") : job.title);
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter *p) { job.paint(*p); });
    dialog.exec();
}

int QtUiPlatform::execModal(QDialog &dialog)
{
    return dialog.exec();
}

}  // namespace tavi
