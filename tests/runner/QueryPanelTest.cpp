#include "DemoRunner.h"
#include "runner/QueryPanel.h"
#include "services/Session.h"
#include "services/report/ReportGridModel.h"
#include "ui/ButtonEdit.h"
#include "ui/ReportGridView.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace tavi;

namespace {

class QueryPanelTest : public test::DemoRunner
{
protected:
    // The user picks a preset from the drop-down.
    static void choose(QComboBox *preset, int index)
    {
        preset->setCurrentIndex(index);
        Q_EMIT preset->activated(index);
    }

    static int widthOf(const QueryPanel &panel, const char *prefix, int id)
    {
        const QWidget *w =
            panel.findChild<QWidget *>(paramName(prefix, id), Qt::FindDirectChildrenOnly);
        return w ? w->width() : 0;
    }
    static int spanOf(const QueryPanel &panel, const ReportParam &p)
    {
        int span = 0;
        if (p.cslx != QStringLiteral("复选框"))
            span += widthOf(panel, "QLbl_ZDY", p.id) + 5;
        if (p.cslx == QStringLiteral("日期组合框") || p.cslx == QStringLiteral("日期组合框2"))
            return span + 63 + widthOf(panel, "QEdt_ZDY", p.id) + 5 +
                   widthOf(panel, "QLbl_ZDY_ZH", p.id) + 5 + widthOf(panel, "QEdt_ZDY_ZH", p.id);
        const int input = widthOf(panel, "QEdt_ZDY", p.id);
        return input ? span + input : span - 5;
    }

    // Walks the panel's parameters and checks every control against the row layout for a
    // screen width: sizes, positions and wrapping.
    void expectLayout(const TfrmReportShow &w, int screenWidth)
    {
        const QueryPanel &panel = *w.queryPanel();
        int x = 10;
        int y = 16;
        int wraps = 0;
        for (const ReportParam &p : panel.params()) {
            const QString what = p.csName + " (" + p.cslx + ")";
            SCOPED_TRACE(what.toStdString());
            // What the parameter's controls span: one that would pass the screen's edge
            // starts a new row.
            const int span = spanOf(panel, p);
            if (x > 10 && x + span > screenWidth) {
                x = 10;
                y += 30;
                ++wraps;
            }
            if (p.cslx != QStringLiteral("复选框")) {
                auto *label = child<QLabel>(panel, paramName("QLbl_ZDY", p.id));
                ASSERT_TRUE(label);
                EXPECT_EQ(label->pos(), QPoint(x, y));
                EXPECT_TRUE(label->text().endsWith(QStringLiteral("：")) ||
                            label->text().endsWith(u':'));
                x += label->width() + 5;
            }
            QWidget *last = nullptr;
            if (p.cslx == QStringLiteral("日期组合框") || p.cslx == QStringLiteral("日期组合框2")) {
                const int width = p.cslx == QStringLiteral("日期组合框") ? 124 : 90;
                auto *preset = child<QComboBox>(panel, paramName("QEdt_ZDY_Cbl", p.id));
                auto *from = child<QDateTimeEdit>(panel, paramName("QEdt_ZDY", p.id));
                auto *to = child<QDateTimeEdit>(panel, paramName("QEdt_ZDY_ZH", p.id));
                auto *zh = child<QLabel>(panel, paramName("QLbl_ZDY_ZH", p.id));
                ASSERT_TRUE(preset && from && to && zh);
                EXPECT_EQ(preset->geometry(), QRect(x, y - 4, 58, 20));
                x += 63;
                EXPECT_EQ(from->geometry(), QRect(x, y - 4, width, 20));
                x += width + 5;
                EXPECT_EQ(zh->pos(), QPoint(x, y));
                EXPECT_EQ(zh->text(), QStringLiteral("至"));
                x += zh->width() + 5;
                EXPECT_EQ(to->geometry(), QRect(x, y - 4, width, 20));
                last = to;
            } else {
                QWidget *input = panel.findChild<QWidget *>(paramName("QEdt_ZDY", p.id),
                                                            Qt::FindDirectChildrenOnly);
                if (p.cslx == QStringLiteral("文本型") || p.cslx == QStringLiteral("按钮文本框")) {
                    ASSERT_TRUE(qobject_cast<QLineEdit *>(input));
                    EXPECT_EQ(input->geometry(), QRect(x, y - 4, 120, 20));
                } else if (p.cslx == QStringLiteral("数字型")) {
                    ASSERT_TRUE(qobject_cast<QLineEdit *>(input));
                    EXPECT_EQ(input->geometry(), QRect(x, y - 4, 80, 20));
                } else if (p.cslx == QStringLiteral("日期型")) {
                    ASSERT_TRUE(qobject_cast<QDateTimeEdit *>(input));
                    EXPECT_EQ(input->geometry(), QRect(x, y - 4, 100, 20));
                } else if (p.cslx == QStringLiteral("下拉框")) {
                    ASSERT_TRUE(qobject_cast<QComboBox *>(input));
                    EXPECT_EQ(input->geometry(), QRect(x, y - 4, 80, 20));
                } else if (p.cslx == QStringLiteral("单选框")) {
                    ASSERT_TRUE(qobject_cast<QGroupBox *>(input));
                    const int items = int(input->findChildren<QRadioButton *>().size());
                    EXPECT_EQ(input->geometry(), QRect(x, y - 15, 70 * items, 35));
                } else if (p.cslx == QStringLiteral("复选框")) {
                    ASSERT_TRUE(qobject_cast<QCheckBox *>(input));
                    EXPECT_EQ(input->pos(), QPoint(x, y));
                    EXPECT_EQ(input->height(), 17);
                } else {
                    EXPECT_EQ(input, nullptr);
                }
                last = input ? input : panel.findChild<QLabel *>(paramName("QLbl_ZDY", p.id));
            }
            x += last->width() + 30;
            if (x > screenWidth - 120) {
                x = 10;
                y += 30;
                ++wraps;
            }
        }
        EXPECT_EQ(panel.searchButton()->pos(), QPoint(x, y - 8));
        EXPECT_EQ(panel.height(), 41 + 30 * wraps);
    }
};

TEST_F(QueryPanelTest, NamesSizesAndRowsFollowTheParameters)
{
    for (const char *title : {"客人住宿明细", "账单明细", "营业日报", "房间收入统计"}) {
        SCOPED_TRACE(title);
        for (int screenWidth : {1600, 1024, 600}) {
            SCOPED_TRACE(screenWidth);
            auto w = std::make_unique<TfrmReportShow>();
            w->setReportId(reportId(QString::fromUtf8(title)));
            w->setScreenSize({screenWidth, 768});
            w->OpenReport();
            EXPECT_FALSE(w->queryPanel()->isHidden());
            expectLayout(*w, screenWidth);
        }
    }

    // Fixed points that do not depend on the font: a wide screen keeps the stay report on one
    // row; on a narrow one the date combo, which would pass the screen's edge, starts the
    // second row whole instead of being cut off.
    auto wide = std::make_unique<TfrmReportShow>();
    wide->setReportId(reportId(QStringLiteral("客人住宿明细")));
    wide->setScreenSize({1600, 900});
    wide->OpenReport();
    EXPECT_EQ(wide->queryPanel()->height(), 41);
    auto narrow = std::make_unique<TfrmReportShow>();
    narrow->setReportId(reportId(QStringLiteral("客人住宿明细")));
    narrow->setScreenSize({600, 900});
    narrow->OpenReport();
    const int range = paramId(*narrow, QStringLiteral("日期组合框"));
    EXPECT_EQ(child<QLabel>(*narrow, paramName("QLbl_ZDY", range))->pos(), QPoint(10, 46));
    EXPECT_EQ(child<QWidget>(*narrow, paramName("QEdt_ZDY_Cbl", range))->y(), 42);
    EXPECT_GE(narrow->queryPanel()->height(), 71);
    for (QWidget *w : narrow->queryPanel()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_LE(w->geometry().right(), 600) << w->objectName().toStdString();
}

TEST_F(QueryPanelTest, ControlsStartFromTheDefaults)
{
    auto w = open(QStringLiteral("客人住宿明细"));
    const QueryPanel &panel = *w->queryPanel();
    EXPECT_EQ(child<QLabel>(panel, paramName("QLbl_ZDY", paramId(*w, "文本型")))->text(),
              QStringLiteral("客人姓名："));

    auto *roomType = child<QComboBox>(panel, paramName("QEdt_ZDY", paramId(*w, "下拉框")));
    EXPECT_EQ(roomType->itemText(0), QStringLiteral("全部"));
    EXPECT_GT(roomType->count(), 1);
    EXPECT_EQ(roomType->currentIndex(), 0);
    EXPECT_FALSE(roomType->isEditable());

    auto *sex = child<QGroupBox>(panel, paramName("QEdt_ZDY", paramId(*w, "单选框")));
    const auto radios = sex->findChildren<QRadioButton *>();
    ASSERT_EQ(radios.size(), 3);
    EXPECT_TRUE(radios[0]->isChecked());
    EXPECT_EQ(radios[2]->text(), QStringLiteral("女"));
    EXPECT_TRUE(sex->title().isEmpty());

    // 只看在住 is eight GBK bytes: 6 × 8 + 17.
    const int checkId = paramId(*w, "复选框");
    auto *inHouse = child<QCheckBox>(panel, paramName("QEdt_ZDY", checkId));
    EXPECT_EQ(inHouse->width(), 65);
    EXPECT_FALSE(inHouse->isChecked());
    EXPECT_EQ(panel.findChild<QLabel *>(paramName("QLbl_ZDY", checkId)), nullptr);

    // The caption with the business-period marker loses it and gains the colon.
    auto daily = open(QStringLiteral("营业日报"));
    const int day = paramId(*daily, "日期型");
    EXPECT_EQ(child<QLabel>(*daily, paramName("QLbl_ZDY", day))->text(),
              QStringLiteral("营业日："));
    EXPECT_TRUE(daily->queryPanel()->isBusinessPeriodLabel(day));
    EXPECT_EQ(child<QDateTimeEdit>(*daily, paramName("QEdt_ZDY", day))->date(), kNow.date());

    // A number box takes numbers only; a button text box starts empty.
    auto bills = open(QStringLiteral("账单明细"));
    auto *least = child<QLineEdit>(*bills, paramName("QEdt_ZDY", paramId(*bills, "数字型")));
    ASSERT_TRUE(least->validator());
    QString typed = QStringLiteral("12a");
    int pos = 0;
    EXPECT_EQ(least->validator()->validate(typed, pos), QValidator::Invalid);
    typed = QStringLiteral("-12.5");
    EXPECT_EQ(least->validator()->validate(typed, pos), QValidator::Acceptable);
    auto *guest = child<ButtonEdit>(*bills, paramName("QEdt_ZDY", paramId(*bills, "按钮文本框")));
    EXPECT_TRUE(guest->text().isEmpty());
}

TEST_F(QueryPanelTest, ReportsWithoutOrdinaryParametersShowNoPanel)
{
    const int plain =
        addReport(QStringLiteral("房间一览"), 0, QStringLiteral("select * from 房间信息"), {},
                  {QStringLiteral("房号")});
    auto w = open(plain);
    EXPECT_TRUE(w->queryPanel()->isHidden());
    // The daily takings have a cross table besides their ordinary parameters.
    const int cross =
        addReport(QStringLiteral("只有交叉表"), 0, QStringLiteral("select 项目 {1} from 账单"),
                  {{"交叉表", "[交叉表]", "select 1", "[SQL:select 1]"}}, {}, QStringLiteral(",3"));
    EXPECT_TRUE(open(cross)->queryPanel()->isHidden());
}

TEST_F(QueryPanelTest, PresetsFollowTheBusinessDaySettings)
{
    session().GInt_BBT1 = 0;
    session().GDt_BBT1 = QStringLiteral("04:00");
    session().GInt_BBT2 = 2;
    session().GDt_BBT2 = QStringLiteral("04:00");
    auto w = open(QStringLiteral("客人住宿明细"));
    const int id = paramId(*w, "日期组合框");
    auto *preset = child<QComboBox>(*w, paramName("QEdt_ZDY_Cbl", id));
    auto *from = child<QDateTimeEdit>(*w, paramName("QEdt_ZDY", id));
    auto *to = child<QDateTimeEdit>(*w, paramName("QEdt_ZDY_ZH", id));
    ASSERT_EQ(preset->count(), 11);
    EXPECT_EQ(preset->itemText(0), QStringLiteral("自选"));
    EXPECT_EQ(preset->itemText(10), QStringLiteral("上年"));
    EXPECT_EQ(preset->currentText(), QStringLiteral("今天"));
    EXPECT_EQ(from->displayFormat(), QStringLiteral("yyyy-MM-dd HH:mm"));
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 10), QTime(4, 0)));
    EXPECT_EQ(to->dateTime(), QDateTime(QDate(2024, 3, 11), QTime(4, 0)));
    EXPECT_FALSE(w->queryPanel()->businessDayOverride());

    choose(preset, 2);
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 9), QTime(4, 0)));
    EXPECT_EQ(to->dateTime(), QDateTime(QDate(2024, 3, 10), QTime(4, 0)));
    // "自选" resets the fields to today's range; a hand edit leaves the preset alone.
    from->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
    EXPECT_EQ(preset->currentIndex(), 2);
    choose(preset, 0);
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 10), QTime(4, 0)));
    from->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
    choose(preset, 0);
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 10), QTime(4, 0)))
        << "choosing the same preset again resets a hand edit";
    EXPECT_EQ(w->queryPanel()->panelDateRange()->to, QDateTime(QDate(2024, 3, 11), QTime(4, 0)));

    session().GInt_BBT1 = 1;
    session().GDt_BBT1 = QStringLiteral("12:00");
    session().GInt_BBT2 = 0;
    session().GDt_BBT2 = QStringLiteral("12:00");
    choose(preset, 1);
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 9), QTime(12, 0)));
    EXPECT_EQ(to->dateTime(), QDateTime(QDate(2024, 3, 10), QTime(12, 0)));

    // A setting that is no time of day is told once per choice, and the fields stay.
    session().GDt_BBT1 = QStringLiteral("早上");
    ui.expectMessage(QString());
    choose(preset, 2);
    EXPECT_EQ(from->dateTime(), QDateTime(QDate(2024, 3, 9), QTime(12, 0)));
}

TEST_F(QueryPanelTest, DateOnlyComboSuspendsBusinessDaysUntilTheWindowCloses)
{
    session().GInt_BBT1 = 0;
    session().GDt_BBT1 = QStringLiteral("04:00");
    session().GInt_BBT2 = 2;
    session().GDt_BBT2 = QStringLiteral("04:00");
    const int id = addReport(QStringLiteral("两个日期"), 0,
                             QStringLiteral("select * from 账单 where 1=1 {1} {2} {3}"),
                             {{"日期组合框", "开始", " and 日期 between {1}"},
                              {"日期组合框2", "营业日期", " and 日期 between {2}"},
                              {"日期组合框", "结束", " and 日期 between {3}"}},
                             {QStringLiteral("项目")});
    auto w = open(id);
    const QList<ReportParam> &params = w->queryPanel()->params();
    ASSERT_EQ(params.size(), 3);
    const auto range = [&](int i) {
        return std::make_pair(
            child<QDateTimeEdit>(*w, paramName("QEdt_ZDY", params[i].id))->dateTime(),
            child<QDateTimeEdit>(*w, paramName("QEdt_ZDY_ZH", params[i].id))->dateTime());
    };
    const QDate today = kNow.date();
    // Built before the override: the business day.
    EXPECT_EQ(range(0), std::make_pair(QDateTime(today, QTime(4, 0)),
                                       QDateTime(today.addDays(1), QTime(4, 0))));
    // Built after it: whole days, whatever the settings.
    EXPECT_EQ(range(2),
              std::make_pair(QDateTime(today, QTime(0, 0)), QDateTime(today, QTime(23, 59))));
    auto *dateOnly = child<QDateTimeEdit>(*w, paramName("QEdt_ZDY", params[1].id));
    EXPECT_EQ(dateOnly->displayFormat(), QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(dateOnly->date(), today);
    EXPECT_TRUE(w->queryPanel()->businessDayOverride());
    EXPECT_EQ(session().GInt_BBT2, 0);
    EXPECT_EQ(session().GDt_BBT1, QStringLiteral("00:00"));

    // The earlier combo sees whole days too once its preset changes.
    auto *first = child<QComboBox>(*w, paramName("QEdt_ZDY_Cbl", params[0].id));
    choose(first, 2);
    EXPECT_EQ(range(0), std::make_pair(QDateTime(today.addDays(-1), QTime(0, 0)),
                                       QDateTime(today.addDays(-1), QTime(23, 59))));
    // The last combo built is the panel's range.
    EXPECT_EQ(w->queryPanel()->panelDateRange()->from, QDateTime(today, QTime(0, 0)));

    w->reject();
    EXPECT_FALSE(w->queryPanel()->businessDayOverride());
    EXPECT_EQ(session().GInt_BBT1, 0);
    EXPECT_EQ(session().GInt_BBT2, 2);
    EXPECT_EQ(session().GDt_BBT1, QStringLiteral("04:00"));
    EXPECT_EQ(session().GDt_BBT2, QStringLiteral("04:00"));

    // A window that is freed without closing puts them back as well.
    {
        auto again = open(id);
        EXPECT_EQ(session().GDt_BBT2, QStringLiteral("23:59"));
    }
    EXPECT_EQ(session().GDt_BBT2, QStringLiteral("04:00"));
}

TEST_F(QueryPanelTest, ButtonTextBoxShowsTheChosenNamesAndFiltersByTheirIds)
{
    auto w = open(reportId(QStringLiteral("账单明细")), QString(), QString(), true);
    const int guestParam = paramId(*w, "按钮文本框");
    auto *guest = child<ButtonEdit>(*w, paramName("QEdt_ZDY", guestParam));
    ASSERT_TRUE(guest);
    const ReportParam *param = nullptr;
    for (const ReportParam &p : w->queryPanel()->params())
        param = p.id == guestParam ? &p : param;
    ASSERT_TRUE(param);
    // Every bill of the hotel, so that the guest's condition is what narrows them.
    child<QDateTimeEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "日期组合框2")))
        ->setDate(QDate(2000, 1, 1));
    child<QDateTimeEdit>(*w, paramName("QEdt_ZDY_ZH", paramId(*w, "日期组合框2")))
        ->setDate(QDate(2030, 1, 1));

    QString nestedTitle;
    QString chosenName;
    ui.expectModal([&](QDialog &d) {
        auto &nested = dynamic_cast<TfrmReportShow &>(d);
        EXPECT_EQ(nested.parentWidget(), w.get());
        EXPECT_TRUE(nested.ModeArg().isEmpty());
        nested.show();
        nestedTitle = nested.windowTitle();
        EXPECT_TRUE(nested.isMultiSelection());
        nested.grid()->setCurrentRow(3);
        chosenName = nested.gridModel()->data(nested.gridModel()->index(3, 1)).toString();
        child<QPushButton>(nested, "btnSel")->click();
        return nested.result();
    });
    guest->button()->click();
    EXPECT_EQ(nestedTitle, QStringLiteral("客人选择"));
    ASSERT_FALSE(chosenName.isEmpty());
    EXPECT_EQ(guest->text(), chosenName) << "the box shows whom the user chose";
    EXPECT_EQ(w->queryPanel()->text(*param), QStringLiteral("4"));

    child<QPushButton>(*w, "btnSearch")->click();
    const QString sql = child<QPlainTextEdit>(*w, "mmoTest")->toPlainText();
    EXPECT_TRUE(sql.contains(QStringLiteral("b.客人id in (4)"))) << sql.toStdString();
    EXPECT_TRUE(child<QLabel>(*w, "lblTJ")->text().contains(QStringLiteral("客人：") + chosenName));
    const QString bills = scalar(
        QStringLiteral("select count(*) from 账单 a, 住宿 b where a.住宿id=b.id and b.客人id=4"));
    ASSERT_GT(bills.toInt(), 0);
    EXPECT_EQ(w->resultSet().recordCount(), bills.toInt());

    // Several ticked guests: their names in the box, their ids in the condition.
    QStringList names;
    ui.expectModal([&](QDialog &d) {
        auto &nested = dynamic_cast<TfrmReportShow &>(d);
        nested.show();
        ReportGridModel *m = nested.gridModel();
        for (int row : {1, 6}) {
            EXPECT_TRUE(m->setData(m->index(row, 0), Qt::Checked, Qt::CheckStateRole));
            names << m->data(m->index(row, 1)).toString();
        }
        child<QPushButton>(nested, "btnSel")->click();
        return nested.result();
    });
    guest->button()->click();
    EXPECT_EQ(guest->text(), names.join(u','));
    EXPECT_EQ(w->queryPanel()->text(*param), QStringLiteral("2,7"));
    child<QPushButton>(*w, "btnSearch")->click();
    EXPECT_TRUE(child<QPlainTextEdit>(*w, "mmoTest")
                    ->toPlainText()
                    .contains(QStringLiteral("b.客人id in (2,7)")));

    // Cancelled: the box keeps what it had.
    ui.expectModal([&](QDialog &d) {
        d.show();
        child<QPushButton>(d, "btnCancel")->click();
        return d.result();
    });
    guest->button()->click();
    EXPECT_EQ(guest->text(), names.join(u','));
    EXPECT_EQ(w->queryPanel()->text(*param), QStringLiteral("2,7"));

    // Typing drops the choice: the box then stands for what it shows.
    guest->setFocus();
    QTest::keyClick(guest, Qt::Key_End);
    QTest::keyClick(guest, Qt::Key_Backspace);
    EXPECT_FALSE(guest->isChosen());
    EXPECT_EQ(w->queryPanel()->text(*param), guest->text());
}

TEST_F(QueryPanelTest, EnterInAParameterRunsAndCalendarsAreChineseFromMonday)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto daily = open(QStringLiteral("营业日报"));
    QLocale::setDefault(before);
    auto *day = child<QDateEdit>(*daily, paramName("QEdt_ZDY", paramId(*daily, "日期型")));
    ASSERT_TRUE(day->calendarPopup());
    EXPECT_EQ(day->calendarWidget()->locale().language(), QLocale::Chinese);
    EXPECT_EQ(day->calendarWidget()->firstDayOfWeek(), Qt::Monday);

    auto w = open(QStringLiteral("客人资料查询"));
    const int all = w->resultSet().recordCount();
    auto *name = child<QLineEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "文本型")));
    name->setText(QStringLiteral("O'Brien"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(w->resultSet().recordCount(), 1);
    name->clear();
    QTest::keyClick(name, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w->resultSet().recordCount(), all);

    // Also from a date field or a radio button.
    auto stays = open(QStringLiteral("客人住宿明细"));
    auto *from = child<QDateTimeEdit>(*stays, paramName("QEdt_ZDY", paramId(*stays, "日期组合框")));
    from->setDate(QDate(2000, 1, 1));
    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_TRUE(child<QLabel>(*stays, "lblTJ")->text().contains(QStringLiteral("2000-01-01")));
    const int every = stays->resultSet().recordCount();
    auto *sex = child<QWidget>(*stays, paramName("QEdt_ZDY", paramId(*stays, "单选框")));
    QRadioButton *men = sex->findChildren<QRadioButton *>()[1];
    men->setChecked(true);
    QTest::keyClick(men, Qt::Key_Return);
    EXPECT_GT(stays->resultSet().recordCount(), 0);
    EXPECT_LT(stays->resultSet().recordCount(), every);
}

TEST_F(QueryPanelTest, ANarrowWindowReflowsThePanelSoEveryControlStaysInReach)
{
    auto w = open(QStringLiteral("客人住宿明细"));
    const int maximisedHeight = w->queryPanel()->height();
    for (const QSize size : {QSize(731, 500), QSize(480, 480)}) {
        SCOPED_TRACE(size.width());
        w->setWindowState(Qt::WindowNoState);
        w->resize(size);
        QApplication::processEvents();
        const QueryPanel *panel = w->queryPanel();
        ASSERT_LE(panel->width(), size.width());
        for (QWidget *c : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (c->isHidden())
                continue;
            EXPECT_LE(c->geometry().right(), panel->width()) << c->objectName().toStdString();
            EXPECT_LE(c->geometry().bottom(), panel->height()) << c->objectName().toStdString();
        }
        test::DemoRunner::saveShot(*w, QStringLiteral("runner-panel-%1").arg(size.width()));
    }
    // Maximised again, the rows wrap against the screen as before.
    w->setWindowState(Qt::WindowMaximized);
    QApplication::processEvents();
    EXPECT_EQ(w->queryPanel()->height(), maximisedHeight);
}

TEST_F(QueryPanelTest, ButtonTextBoxWithoutAReportDoesNothing)
{
    const int id =
        addReport(QStringLiteral("无处可去"), 0, QStringLiteral("select * from 客人"),
                  {{"按钮文本框", "客人", "", "[没有这张报表]"}, {"按钮文本框", "房间", "", ""}},
                  {QStringLiteral("姓名")});
    auto w = open(id);
    for (const ReportParam &p : w->queryPanel()->params())
        child<ButtonEdit>(*w, paramName("QEdt_ZDY", p.id))->button()->click();
    // No modal was expected, so none may have been shown.
    EXPECT_TRUE(ui.shown().empty());
}

}  // namespace
