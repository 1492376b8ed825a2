// Which program folders count as the system's, so corvane.INI never goes
// beside an installed program or one run as root.
#include "config/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestSettingsFolder : public QObject {
    Q_OBJECT
private slots:
    void systemFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("ownedByRoot");
        QTest::addColumn<bool>("runAsRoot");
        QTest::addColumn<bool>("system");
        QTest::newRow("user's build folder")
            << "/home/ana/corvane/build" << false << false << false;
        QTest::newRow("user's folder owned by root")
            << "/home/ana/corvane" << true << false << true;
        QTest::newRow("user's folder, run as root") << "/home/ana/corvane" << false << true << true;
        QTest::newRow("/usr/bin") << "/usr/bin" << false << false << true;
        QTest::newRow("/usr/local/bin") << "/usr/local/bin" << false << false << true;
        QTest::newRow("/opt itself") << "/opt" << false << false << true;
        QTest::newRow("root folder") << "/" << false << false << true;
        QTest::newRow("name only begins like /opt") << "/optics/corvane" << false << false << false;
        QTest::newRow("opt inside a home") << "/home/ana/opt/corvane" << false << false << false;
        QTest::newRow("climbs back into /usr")
            << "/home/ana/../../usr/bin" << false << false << true;
        QTest::newRow("upper-case /USR is another folder") << "/USR/bin" << false << false << false;
        QTest::newRow("Program Files") << "C:/Program Files/Corvane" << false << false << true;
        QTest::newRow("program files (x86), lower case")
            << "d:/program files (x86)/Corvane" << false << false << true;
        QTest::newRow("Windows folder") << "C:/WINDOWS/System32" << false << false << true;
        QTest::newRow("name only begins like Program Files")
            << "C:/Program Files Tools/Corvane" << false << false << false;
        QTest::newRow("folder on a stick") << "E:/Corvane" << false << false << false;
    }
    void systemFolder() {
        QFETCH(QString, path);
        QFETCH(bool, ownedByRoot);
        QFETCH(bool, runAsRoot);
        QFETCH(bool, system);
        QCOMPARE(isSystemFolder({path, ownedByRoot, runAsRoot}), system);
    }

    // A system folder that root could write into is neither used nor probed;
    // the facts follow a link to the real folder and say who runs.
    void systemFolderUntouched() {
        QTemporaryDir root;
        const QString real = root.filePath(QStringLiteral("real"));
        const QString link = root.filePath(QStringLiteral("link"));
        QVERIFY(QDir().mkpath(real) && QFile::link(real, link));
        const ProgramFolderFacts facts = programFolderFacts(link);
        QCOMPARE(facts.path, QFileInfo(real).canonicalFilePath());
        QCOMPARE(facts.runAsRoot, ::geteuid() == 0);

        const QString user = root.filePath(QStringLiteral("config/Corvane"));
        const SettingsLocation where = settingsFilePath(real, user, true);
        QVERIFY(where.perUser);
        QCOMPARE(where.path, QDir(user).filePath(kSettingsFileName));
        QVERIFY(SaveSettings(where.path, StoredSettings{}));
        QCOMPARE(QDir(real).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFolder)
#include "test_settingsfolder.moc"
