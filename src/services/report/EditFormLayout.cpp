#include "EditFormLayout.h"

#include <algorithm>

namespace tavi {

namespace {

constexpr int kLeft = 24;
constexpr int kLine = 28;
constexpr int kGap = 32;
constexpr int kInputWidth = 145;
constexpr int kFullWidth = 369;
constexpr int kGroupLeft = 16;
constexpr int kGroupTop = 16;
constexpr int kDesignWidth = 473;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 30;

bool acrossTheLine(EditFormLayout::Input input)
{
    return input == EditFormLayout::Input::LongText || input == EditFormLayout::Input::File;
}

}  // namespace

EditFormLayout::Input EditFormLayout::inputOf(const QString &lx, const QString &fieldValue)
{
    static const QList<std::pair<QString, Input>> kinds = {
        {QStringLiteral("文本型"), Input::Text},
        {QStringLiteral("长文本型"), Input::LongText},
        {QStringLiteral("金额型"), Input::Amount},
        {QStringLiteral("数字型"), Input::Number},
        {QStringLiteral("备注型"), Input::Memo},
        {QStringLiteral("日期型"), Input::Date},
        {QStringLiteral("下拉框"), Input::DropDown},
        {QStringLiteral("单选框"), Input::Radio},
        {QStringLiteral("复选框"), Input::Check},
        {QStringLiteral("按钮文本框"), Input::Button},
        {QStringLiteral("分类显示型"), Input::Category},
        {QStringLiteral("明细表"), Input::Detail},
    };
    for (const auto &[name, input] : kinds) {
        if (lx == name)
            return input == Input::Button && fieldValue == QStringLiteral("[文件型]") ? Input::File
                                                                                      : input;
    }
    return Input::None;
}

QString EditFormLayout::captionOf(const QString &title)
{
    return title.endsWith(u'：') || title.endsWith(u':') ? title : title + u'：';
}

EditFormLayout::EditFormLayout(const QList<ReportEditField> &fields,
                               const std::function<int(const QString &)> &textWidth)
{
    int x = kLeft, y = kLeft, n = 0, c1 = 0, c2 = 0, w = 0;
    int groupWidth = kDesignWidth;
    for (const ReportEditField &field : fields) {
        Cell cell;
        cell.field = field;
        cell.input = inputOf(field.lx, field.fieldValue);
        ++n;
        // A memo, and an input across the line that would fall in the second column, start a
        // line of their own rather than being drawn over the next field.
        if ((cell.input == Input::Memo && x > 40) || (acrossTheLine(cell.input) && n % 2 == 0)) {
            if (acrossTheLine(cell.input))
                ++n;
            x = kLeft;
            y += kLine;
        }
        int labelWidth = 0;
        if (cell.input != Input::Check) {
            cell.caption = captionOf(field.title);
            labelWidth = textWidth(cell.caption);
            cell.label = QRect(x, y, labelWidth, 20);
            x += labelWidth + 5;
            if (n == 1)
                c1 = x;
            if (n == 2)
                c2 = x;
            if (n > 2 && n % 2 == 1 && x != c1 && c1 > 0)
                x = c1;
            if (n > 2 && n % 2 == 0 && x != c2 && x != c1 && c2 > 0)
                x = c2;
        }
        const int full = w > 0 ? w - x : kFullWidth;
        switch (cell.input) {
        case Input::Text:
        case Input::Amount:
        case Input::Number:
        case Input::Date:
        case Input::DropDown:
        case Input::Button:
        case Input::Category:
            cell.box = QRect(x, y - 4, kInputWidth, 20);
            break;
        case Input::LongText:
        case Input::File:
            cell.box = QRect(x, y - 4, full, 20);
            if (n % 2 == 1)
                ++n;
            break;
        case Input::Memo:
            cell.box = QRect(x, y - 4, full, 80);
            y += 80 - 20;
            if (n % 2 == 1)
                ++n;
            break;
        case Input::Radio: {
            const int columns =
                std::clamp(int(field.fieldValue.split(u'\n', Qt::SkipEmptyParts).size()), 1, 16);
            cell.box = QRect(x, y - 15, 70 * columns, 35);
            break;
        }
        case Input::Check:
            cell.box = QRect(x, y, kInputWidth, 20);
            break;
        case Input::Detail:
            // The grid sits below its buttons; the next line starts below the grid instead of
            // over its last rows.
            cell.box = QRect(x, y + 28, full, 120);
            y += 120 + 8;
            if (n % 2 == 1)
                ++n;
            break;
        case Input::None:
            break;
        }
        // A detail grid advances by its own width, so the group box holds it whole.
        x += (cell.box.isNull() ? labelWidth : cell.box.width()) + kGap;
        if (n % 2 == 0) {
            if (n == 2) {
                groupWidth = x;
                w = x - kGap;
            }
            x = kLeft;
            y += kLine;
        }
        m_cells << cell;
    }
    if (n % 2 == 1)
        y += kLine;
    m_group = QRect(kGroupLeft, kGroupTop, groupWidth, y);
    const int buttonTop = m_group.bottom() + 1 + 8;
    m_cancel =
        QRect(m_group.left() + groupWidth - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    m_save = QRect(m_cancel.left() - 6 - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    m_window = QSize(m_group.left() + groupWidth + 16, buttonTop + kButtonHeight + 40);
}

}  // namespace tavi
