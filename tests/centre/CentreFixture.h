#pragma once

#include "demo/DemoDatabase.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ReportStore.h"
#include "support/ScriptedUiPlatform.h"
#include "ui/WindowRegistry.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

namespace tavi::test {

// Windows of the centre over a copy of the demo hotel, with a scripted user and a runner that
// records what it was asked to open.
class CentreFixture : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
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
        const QString copy = QDir(work.path()).filePath(QStringLiteral("pelto.mdb"));
        ASSERT_TRUE(QFile::copy(
            QDir(hotelDir()).filePath(QString::fromLatin1(DemoDatabase::kDatabaseName)), copy));
        data.adoConn.openLocal(copy);
        scoped->dm = &data;
        scoped->SysInfo.UserName = QStringLiteral("张丽");
        WindowRegistry::setRunner([this](const RunnerRequest &request) {
            runs.push_back(request);
            return RunnerOutcome{};
        });
    }
    void TearDown() override
    {
        WindowRegistry::setRunner({});
        WindowRegistry::setWizard({});
        ui.verify();
    }

    int scalar(const QString &sql) { return data.adoConn.openQuery(sql)->valueAt(0, 0).toInt(); }
    ReportStore store() { return ReportStore(data.adoConn, 0); }

    template <typename T>
    static T *child(const QWidget &w, const char *name)
    {
        T *found = w.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Saves what a window looks like under the build folder.
    static void saveShot(QWidget &w, const QString &name)
    {
        QDir dir(QStringLiteral(QT_TESTCASE_BUILDDIR));
        dir.mkpath(QStringLiteral("screenshots"));
        EXPECT_TRUE(w.grab().save(dir.filePath(QStringLiteral("screenshots/") + name + ".png")));
    }

    static inline std::unique_ptr<QTemporaryDir> folder;
    static inline bool built = false;
    static inline QString buildError;

    QTemporaryDir work;
    ScopedSession scoped;
    ScriptedUiPlatform ui;
    Tdm data;
    std::vector<RunnerRequest> runs;
};

}  // namespace tavi::test
