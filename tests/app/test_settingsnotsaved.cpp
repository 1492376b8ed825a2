// A settings file the window cannot read at the start (said in the status
// bar at once) or save at close: the file stays byte for byte as it was, and
// the user is told where they look -- a box naming the file and the reason;
// the window closes once it is answered. A close on a signal (nobody there
// to answer) does not wait for the box.
#include "app/mainwindow.h"
#include "config/settingsstore.h"
#include "support/fakeseriallink.h"
#include "support/fulldisk.h"
#include "support/testfiles.h"

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsNotSaved : public QObject {
    Q_OBJECT
private slots:
    void closing_data() {
        QTest::addColumn<bool>("fullDisk"); // else a file over the read limit
        QTest::addColumn<bool>("unattended");
        QTest::addColumn<QString>("reason");
        QTest::newRow("on a full disk") << true << false << "No space left on device";
        QTest::newRow("over the read limit") << false << false << "larger than 1 MiB";
        QTest::newRow("on a full disk, closed by a signal") << true << true << QString();
    }
    void closing() {
        QFETCH(bool, fullDisk);
        QFETCH(bool, unattended);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        FullDisk disk(dir.filePath(QStringLiteral("disk")));
        if (fullDisk && !disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const QString ini =
            fullDisk ? disk.filePath(kSettingsFileName) : dir.filePath(kSettingsFileName);
        QByteArray before = "[Comm Port]\r\nCommPort=2\r\n";
        if (!fullDisk)
            before += QByteArray(2 * 1024 * 1024, ';');
        putFile(ini, before);
        QVERIFY(!fullDisk || disk.fill());

        AppState state;
        FakeSerialLink link;
        MainWindow window(state, link, {ini, false, dir.filePath(QStringLiteral("placement.ini"))});
        // A file it will not read is said at once, not only at the close.
        QCOMPARE(window.statusBar()->currentMessage().contains(kSettingsFileName), !fullDisk);
        window.show();
        if (unattended)
            window.closeUnattended();
        else
            window.close();
        auto* box = window.findChild<QMessageBox*>(QStringLiteral("settingsNotSaved"));
        QCOMPARE(window.isVisible(), !unattended);
        QCOMPARE(fileBytes(ini), before);
        if (!unattended) {
            QVERIFY(box && box->isVisible());
            QVERIFY2(box->text().contains(QDir::toNativeSeparators(ini)) &&
                         box->text().contains(reason),
                     qPrintable(box->text()));
            box->button(QMessageBox::Ok)->click();
            QTRY_VERIFY(!window.isVisible());
        }
        // The pump on Com2 (when the file could be read) is stopped once, not
        // again when the window closes after the box.
        QCOMPARE(int(link.written().count("RUN_CLEAR\r")), fullDisk ? 1 : 0);
    }
};

QTEST_MAIN(TestSettingsNotSaved)
#include "test_settingsnotsaved.moc"
