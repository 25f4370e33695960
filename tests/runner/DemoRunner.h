#pragma once

#include "demo/DemoDatabase.h"
#include "runner/QueryPanel.h"
#include "runner/ShowReportFrm.h"
#include "services/Clock.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "support/ScriptedUiPlatform.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace tavi::test {

// Runner windows over a copy of the demo hotel, built once on a fixed day, with a scripted user.
class DemoRunner : public ::testing::Test
{
protected:
    static inline const QDateTime kNow{QDate(2024, 3, 10), QTime(9, 30)};
    static inline const QSize kScreen{1024, 768};

    struct Param
    {
        const char *kind;
        const char *name;
        const char *sql = "";
        const char *list = "";
        const char *defaultValue = "";
    };

    static void SetUpTestSuite()
    {
        ScopedClock clock(kNow);
        folder = std::make_unique<QTemporaryDir>();
        QString error;
        built = DemoDatabase::create(hotelDir(), &error);
        buildError = error;
    }
    static void TearDownTestSuite() { folder.reset(); }
    static QString hotelDir() { return QDir(folder->path()).filePath(QStringLiteral("hotel")); }

    void SetUp() override
    {
        ASSERT_TRUE(built) << buildError.toStdString();
        scoped->SysInfo.DesKey = QString::fromLatin1(DemoDatabase::kDesKey);
        const QString copy = QDir(work.path()).filePath(QStringLiteral("pelto.mdb"));
        ASSERT_TRUE(QFile::copy(
            QDir(hotelDir()).filePath(QString::fromLatin1(DemoDatabase::kDatabaseName)), copy));
        data.adoConn.openLocal(copy);
        scoped->dm = &data;
    }
    void TearDown() override { ui.verify(); }

    QString scalar(const QString &sql)
    {
        const auto rs = data.adoConn.openQuery(sql);
        return rs->isEmpty() ? QString() : db::Recordset::textOf(rs->value(0));
    }
    int reportId(const QString &title)
    {
        return scalar(QStringLiteral("select id from ReportList where title='%1'").arg(title))
            .toInt();
    }

    // A further report with its parameters ({1}, {2}, … in order) and one column per field.
    int addReport(const QString &title, int type, const QString &sql,
                  std::initializer_list<Param> params, const QStringList &fields,
                  const QString &flags = QString())
    {
        data.adoConn.execute(QStringLiteral("insert into ReportList(title, lb, sSql, CsList, Type) "
                                            "values(?, 1, ?, ?, ?)"),
                             {title, sql, flags, type});
        const int id = reportId(title);
        int n = 0;
        for (const Param &p : params) {
            ++n;
            data.adoConn.execute(
                QStringLiteral("insert into ReportCS(ReportID, CSValue, CSName, CSLX, CSDefault, "
                               "CSList, CSSql, sort) values(?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, QStringLiteral("{%1}").arg(n), QString::fromUtf8(p.name),
                 QString::fromUtf8(p.kind), QString::fromUtf8(p.defaultValue),
                 QString::fromUtf8(p.list), QString::fromUtf8(p.sql), n});
        }
        int sort = 0;
        for (const QString &f : fields)
            data.adoConn.execute(
                QStringLiteral("insert into ReportField(ReportID, Title, Field, FieldFormat, "
                               "Width, HJFlag, SortID, isShow, isPrint) "
                               "values(?, ?, ?, '', 80, 0, ?, 1, 1)"),
                {id, f, f, ++sort});
        return id;
    }

    // A runner for a report as an opener sets it up, shown (offscreen) unless asked otherwise.
    std::unique_ptr<TfrmReportShow> open(int id, const QString &modeArg = QString(),
                                         const QString &preFilter = QString(), bool test = false)
    {
        auto w = std::make_unique<TfrmReportShow>();
        w->setReportId(id);
        w->setModeArg(modeArg);
        w->setPreFilter(preFilter);
        w->setTestMode(test);
        w->setScreenSize(kScreen);
        w->show();
        return w;
    }
    std::unique_ptr<TfrmReportShow> open(const QString &title, const QString &modeArg = QString(),
                                         const QString &preFilter = QString())
    {
        const int id = reportId(title);
        EXPECT_GT(id, 0) << title.toStdString();
        return open(id, modeArg, preFilter);
    }

    template <typename T>
    static T *child(const QWidget &w, const QString &name)
    {
        T *found = w.findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static QString paramName(const char *prefix, int id)
    {
        return QString::fromLatin1(prefix) + QString::number(id);
    }
    // The id of a report's parameter of a kind (the first one).
    static int paramId(const TfrmReportShow &w, const QString &kind)
    {
        for (const ReportParam &p : w.queryPanel()->params()) {
            if (p.cslx == kind)
                return p.id;
        }
        ADD_FAILURE() << "no parameter of kind " << kind.toStdString();
        return 0;
    }

    // Saves what the window looks like under the build folder; returns the file. A maximised
    // window is drawn at the screen size it laid its query panel out for.
    static QString saveShot(QWidget &w, const QString &name)
    {
        if (w.windowState() & Qt::WindowMaximized) {
            w.setWindowState(Qt::WindowNoState);
            w.resize(kScreen.width(), kScreen.height() - 100);
        }
        QDir dir(QStringLiteral(QT_TESTCASE_BUILDDIR));
        dir.mkpath(QStringLiteral("screenshots"));
        const QString file = dir.filePath(QStringLiteral("screenshots/") + name + ".png");
        EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
        return file;
    }

    static std::unique_ptr<QTemporaryDir> folder;
    static bool built;
    static QString buildError;

    ScopedClock clock{kNow};
    QTemporaryDir work;
    ScopedSession scoped;
    ScriptedUiPlatform ui;
    Tdm data;
};

inline std::unique_ptr<QTemporaryDir> DemoRunner::folder;
inline bool DemoRunner::built = false;
inline QString DemoRunner::buildError;

}  // namespace tavi::test
