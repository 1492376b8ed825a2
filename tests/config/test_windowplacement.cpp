// Window placement: what a damaged store gives, what a save leaves for the next
// start, and twips to pixels at the screen's density. (Defaults on a first
// start and the save on close are checked on the window itself.)
#include "config/windowplacement.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The platform store of this run lives in the temporary folder.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())); }

    // A hand-edited or damaged value, as "MainWidth"; defaults otherwise.
    void storedWidth_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("width");
        QTest::newRow("text with blanks") << QVariant(" 9000 ") << 9000;
        QTest::newRow("fraction") << QVariant("9000.6") << 9001;
        QTest::newRow("not a number") << QVariant("wide") << 8580;
        QTest::newRow("zero") << QVariant("0") << 8580;
        QTest::newRow("beyond int") << QVariant("1e30") << INT_MAX;
        QTest::newRow("not finite") << QVariant("inf") << 8580;
    }
    void storedWidth() {
        QFETCH(QVariant, stored);
        QFETCH(int, width);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QSettings(path, QSettings::IniFormat)
            .setValue(QStringLiteral("Settings/MainWidth"), stored);
        QCOMPARE(WindowPlacementStore(path).load(), (WindowPlacement{100, 1000, width, 7290}));
    }

    // Saved as text under "Corvane" in the user's own store, read back whole.
    void saveThenLoad() {
        const WindowPlacement saved{-1500, 600, 9000, 8000};
        QVERIFY(WindowPlacementStore().save(saved));
        QCOMPARE(WindowPlacementStore().load(), saved);
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "Corvane");
        QVERIFY2(raw.fileName().startsWith(m_dir.path()), qPrintable(raw.fileName()));
        QCOMPARE(raw.value(QStringLiteral("Settings/MainLeft")).typeId(), QMetaType::QString);
    }

    void twipsToPixels_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("an inch at 96") << 1440 << 96.0 << 96;
        QTest::newRow("default height at 120") << 7290 << 120.0 << 608;
        QTest::newRow("negative left") << -1500 << 96.0 << -100;
        QTest::newRow("no density given: 96") << 1440 << 0.0 << 96;
        QTest::newRow("density not a number: 96") << 720 << qQNaN() << 48;
    }
    void twipsToPixels() {
        QFETCH(int, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QCOMPARE(::twipsToPixels(twips, dpi), pixels);
        QCOMPARE(::twipsToPixels(pixelsToTwips(pixels, dpi), dpi), pixels);
    }

    // A window opened and closed again without being moved must not creep.
    void pixelRoundTripSettles() {
        for (double dpi : {72.0, 96.0, 120.0, 144.0, 192.0}) {
            const QRect first = placementToPixels(WindowPlacement{}, dpi);
            QCOMPARE(placementToPixels(placementFromPixels(first, dpi), dpi), first);
        }
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_windowplacement.moc"
