#include "services/report/EditFormLayout.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

// Captions 12 pixels a character, as 宋体 at 12 px draws Chinese text.
int width(const QString &text)
{
    return 12 * int(text.size());
}

ReportEditField field(const char *title, const char *lx, const char *value = "")
{
    ReportEditField f;
    f.title = QString::fromUtf8(title);
    f.field = f.title;
    f.lx = QString::fromUtf8(lx);
    f.fieldValue = QString::fromUtf8(value);
    return f;
}

TEST(EditFormLayoutTest, CaptionsGetOneColon)
{
    EXPECT_EQ(EditFormLayout::captionOf(QStringLiteral("姓名")), QStringLiteral("姓名："));
    EXPECT_EQ(EditFormLayout::captionOf(QStringLiteral("姓名：")), QStringLiteral("姓名："));
    EXPECT_EQ(EditFormLayout::captionOf(QStringLiteral("Name:")), QStringLiteral("Name:"));
}

TEST(EditFormLayoutTest, ASingleTextFieldKeepsTheDesignWidth)
{
    const EditFormLayout layout({field("姓名", "文本型")}, width);
    EXPECT_EQ(layout.group(), QRect(16, 16, 473, 52));
    EXPECT_EQ(layout.cells()[0].label, QRect(24, 24, 36, 20));
    EXPECT_EQ(layout.cells()[0].box, QRect(65, 20, 145, 20));
    EXPECT_EQ(layout.cancelButton(), QRect(409, 76, 80, 30));
    EXPECT_EQ(layout.saveButton(), QRect(323, 76, 80, 30));
    EXPECT_EQ(layout.windowSize(), QSize(505, 146));
}

TEST(EditFormLayoutTest, ColumnsAlignWhateverTheLabelLengths)
{
    const EditFormLayout layout(
        {field("名称", "文本型"), field("单价", "金额型"), field("所属分类名", "分类显示型"),
         field("位", "日期型"), field("停用", "复选框")},
        width);
    const auto &c = layout.cells();
    // First line: 名称： 36 wide, its input at 65; the second column's input after 单价：.
    EXPECT_EQ(c[0].box.left(), 65);
    EXPECT_EQ(c[1].label.left(), 65 + 145 + 32);
    EXPECT_EQ(c[1].box.left(), 242 + 36 + 5);
    EXPECT_EQ(layout.group().width(), 283 + 145 + 32);
    EXPECT_EQ(c[2].box.left(), 65) << "under the first column's input";
    EXPECT_EQ(c[3].box.left(), 283) << "under the second column's input";
    EXPECT_EQ(c[2].label.top(), 52);
    EXPECT_TRUE(c[4].label.isNull()) << "a check box carries its own caption";
    EXPECT_EQ(c[4].box, QRect(24, 80, 145, 20));
    EXPECT_EQ(layout.group().height(), 108);
}

TEST(EditFormLayoutTest, MemosAndLongInputsTakeALineOfTheirOwn)
{
    const EditFormLayout layout(
        {field("名称", "文本型"), field("备注", "备注型"), field("说明", "长文本型"),
         field("编号", "文本型"), field("附件", "按钮文本框", "[文件型]"), field("单位", "文本型")},
        width);
    const auto &c = layout.cells();
    EXPECT_EQ(c[1].label, QRect(24, 52, 36, 20)) << "a memo second on a line starts a new one";
    EXPECT_EQ(c[1].box, QRect(65, 48, 369, 80));
    EXPECT_EQ(c[2].label.top(), 140);
    EXPECT_EQ(c[2].box.width(), 369);
    EXPECT_EQ(c[3].label.top(), 168);
    // A file input that would fall in the second column starts a line instead.
    EXPECT_EQ(c[4].label, QRect(24, 196, 36, 20));
    EXPECT_EQ(c[4].input, EditFormLayout::Input::File);
    EXPECT_EQ(c[5].label.top(), 224);
}

TEST(EditFormLayoutTest, ADetailGridEndsItsLineAndTheNextLineStartsBelowIt)
{
    const EditFormLayout layout({field("明细", "明细表"), field("名称", "文本型")}, width);
    const auto &c = layout.cells();
    EXPECT_EQ(c[0].box, QRect(65, 52, 369, 120));
    EXPECT_EQ(layout.group().width(), 65 + 369 + 32) << "the group box holds the grid whole";
    EXPECT_EQ(c[1].label.top(), 180) << "below the grid's bottom at 172";
}

}  // namespace
}  // namespace tavi
