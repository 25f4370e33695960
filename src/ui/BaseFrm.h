#pragma once

#include <QDialog>

namespace tavi {

/// The common dialog: light-blue background, 宋体 at 12 pixels, centred on its owner.
class TfrmBase : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmBase(QWidget *parent = nullptr);

    /// The background of every dialog, the stored colour 16774892: RGB(236, 246, 255).
    static QColor backgroundColor();
    /// 宋体 12 px, with a font that has the glyphs where 宋体 is not installed.
    static QFont baseFont();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_placed = false;
};

}  // namespace tavi
