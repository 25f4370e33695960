#include "BaseFrm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace tavi {

TfrmBase::TfrmBase(QWidget *parent) : QDialog(parent)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, backgroundColor());
    setPalette(p);
    setAutoFillBackground(true);
    setFont(baseFont());
}

QColor TfrmBase::backgroundColor()
{
    // The stored colour value 16774892 is in blue-green-red order.
    constexpr int bgr = 16774892;
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QFont TfrmBase::baseFont()
{
    QFont f;
    f.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(12);
    return f;
}

void TfrmBase::showEvent(QShowEvent *event)
{
    // A position the window chose for itself before showing wins over centring.
    if (!m_placed && !testAttribute(Qt::WA_Moved) && !(windowState() & Qt::WindowMaximized)) {
        QRect area;
        if (const QWidget *owner = parentWidget())
            area = owner->window()->frameGeometry();
        else if (const QScreen *s = screen())
            area = s->availableGeometry();
        if (area.isValid()) {
            QRect r = frameGeometry();
            r.moveCenter(area.center());
            move(r.topLeft());
        }
    }
    m_placed = true;
    QDialog::showEvent(event);
}

}  // namespace tavi
