#include "services/Messages.h"
#include "services/Session.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "tools/Gbk.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

TEST(Messages, GoThroughThePlatformWithTheSharedCaption)
{
    test::ScriptedUiPlatform ui;
    ui.expectMessage(QStringLiteral("保存成功"), UiPlatform::Icon::Information)
        .expectMessage(QStringLiteral("请选择"), UiPlatform::Icon::Warning)
        .expectQuestion(QStringLiteral("删除"), true)
        .expectQuestion(QStringLiteral("删除"), false);
    MsgInfo(nullptr, QStringLiteral("保存成功！"));
    session().MsgTitle = QStringLiteral("报表中心");
    MsgWarning(nullptr, QStringLiteral("请选择报表"));
    EXPECT_TRUE(MsgAsk(nullptr, QStringLiteral("确实要删除吗？")));
    EXPECT_FALSE(MsgAsk(nullptr, QStringLiteral("确实要删除吗？")));
    ui.verify();
    ASSERT_EQ(ui.shown().size(), 4u);
    EXPECT_EQ(ui.shown()[0].caption, QString()) << "empty until the centre sets it";
    EXPECT_EQ(ui.shown()[1].caption, QStringLiteral("报表中心"));
    EXPECT_EQ(ui.shown()[2].icon, UiPlatform::Icon::Question);
    session().MsgTitle.clear();
}

TEST(Messages, LongTextsAreCutOnACharacterBoundary)
{
    EXPECT_EQ(messageText(QStringLiteral("短")), QStringLiteral("短"));
    const QString exact = QString(1023, u'a');
    EXPECT_EQ(messageText(exact), exact);

    // 600 Chinese characters are 1200 GBK bytes.
    const QString chinese = QString(600, QChar(0x6C49));
    const QString cut = messageText(chinese);
    EXPECT_LE(Gbk::encode(cut).size(), kMaxMessageBytes);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("…")));
    EXPECT_TRUE(chinese.startsWith(cut.chopped(1)));
    EXPECT_EQ(cut.size(), 510 + 1);

    const QString mixed = QStringLiteral("a") + chinese;
    EXPECT_LE(Gbk::encode(messageText(mixed)).size(), kMaxMessageBytes);
    EXPECT_EQ(messageText(mixed).size(), 1 + 510 + 1);
}

}  // namespace
