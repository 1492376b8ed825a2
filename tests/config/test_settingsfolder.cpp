// Which program folders count as the system's, so corvane.INI never goes
// beside an installed program or one run as root.
#include "config/settingsstore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestSettingsFolder : public QObject {
    Q_OBJECT
private slots:
    // "folder|flags": o, the folder is root's; r, run as root; then 1 for a
    // system folder, 0 for the user's.
    void systemFolder_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"/home/ana/build|0", "/home/ana|o1", "/home/ana|r1", "/usr/local/bin|1", "/opt|1",
              "/|1", "/optics/x|0", "/home/ana/opt/x|0", "/home/ana/../../usr/bin|1", "/USR/bin|0",
              "C:/Program Files/x|1", "d:/program files (x86)/x|1", "C:/WINDOWS/System32|1",
              "C:/Program Files Tools/x|0", "E:/Corvane|0"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void systemFolder() {
        QFETCH(QString, row);
        const QString flags = row.section('|', 1);
        QCOMPARE(isSystemFolder({row.section('|', 0, 0), flags.contains('o'), flags.contains('r')}),
                 flags.endsWith('1'));
    }

    // A system folder root could write into is neither used nor probed; the
    // facts follow a link to the real folder and say who runs.
    void systemFolderUntouched() {
        QTemporaryDir root;
        const QString real = root.filePath("real"), user = root.filePath("config/Corvane");
        QVERIFY(QDir().mkpath(real) && QFile::link(real, root.filePath("link")));
        const ProgramFolderFacts facts = programFolderFacts(root.filePath("link"));
        QCOMPARE(facts.path, QFileInfo(real).canonicalFilePath());
        QCOMPARE(facts.runAsRoot, ::geteuid() == 0);
        const SettingsLocation where = settingsFilePath(real, user, true);
        QCOMPARE(where.path, QDir(user).filePath(kSettingsFileName));
        QVERIFY(where.perUser && saveSettings(where.path, StoredSettings{}));
        QCOMPARE(QDir(real).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFolder)
#include "test_settingsfolder.moc"
