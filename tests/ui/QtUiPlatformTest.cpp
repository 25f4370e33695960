#include "support/QtPrinters.h"
#include "ui/BaseFrm.h"
#include "ui/QtUiPlatform.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace tavi;

namespace {

TEST(QtUiPlatform, BoxesCarryCaptionIconAndButtons)
{
    QMessageBox box;
    QtUiPlatform::configureBox(box, UiPlatform::Icon::Warning, QStringLiteral("报表中心"),
                               QStringLiteral("请输入条件"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("报表中心"));
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);

    QMessageBox ask;
    QtUiPlatform::configureBox(ask, UiPlatform::Icon::Question, QString(),
                               QStringLiteral("删除？"));
    EXPECT_EQ(ask.icon(), QMessageBox::Question);
    EXPECT_EQ(ask.standardButtons(), QMessageBox::Yes | QMessageBox::No);
}

TEST(QtUiPlatform, AnEmptyCaptionBecomesTheReportsTitleOrTheCentresName)
{
    EXPECT_EQ(QtUiPlatform::boxCaption(nullptr, QString()), QStringLiteral("报表中心"));
    EXPECT_EQ(QtUiPlatform::boxCaption(nullptr, QStringLiteral("前台")), QStringLiteral("前台"));

    TfrmBase report;
    report.setWindowTitle(QStringLiteral("每日营业额"));
    QDialog find(&report);
    find.setWindowTitle(QStringLiteral("查找"));
    QWidget panel(&report);
    for (QWidget *owner : {static_cast<QWidget *>(&report), static_cast<QWidget *>(&find), &panel})
        EXPECT_EQ(QtUiPlatform::boxCaption(owner, QString()), QStringLiteral("每日营业额"));
    EXPECT_EQ(QtUiPlatform::boxCaption(&find, QStringLiteral("报表中心")),
              QStringLiteral("报表中心"));

    // A plain window of the host's is no report: its title is not taken.
    QWidget host;
    host.setWindowTitle(QStringLiteral("hotel.exe"));
    EXPECT_EQ(QtUiPlatform::boxCaption(&host, QString()), QStringLiteral("报表中心"));
}

TEST(QtUiPlatform, QuestionIsYesOnlyWhenYesIsPressed)
{
    QtUiPlatform platform;
    for (const auto [button, expected] :
         {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
        QTimer::singleShot(0, [button = button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->button(button)->click();
        });
        EXPECT_EQ(platform.question(nullptr, QStringLiteral("t"), QStringLiteral("q")), expected);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
