// Window placement: defaults on a first start, what a save leaves for the
// next start, and twips to pixels at the screen's density.
#include "config/windowplacement.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void firstStartGivesDefaults();
    void storedValues_data();
    void storedValues();
    void saveThenLoad();
    void nativeStoreUsesCorvaneSettings();
    void twipsToPixels_data();
    void twipsToPixels();
    void pixelRoundTripSettles();

private:
    QTemporaryDir m_dir;
};

void TestWindowPlacement::initTestCase() {
    QVERIFY(m_dir.isValid());
    // The platform store of this run lives in the temporary folder, never in
    // the real user's configuration.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("xdg")).toLocal8Bit());
}

void TestWindowPlacement::firstStartGivesDefaults() {
    WindowPlacementStore store(m_dir.filePath(QStringLiteral("none.ini")));
    const WindowPlacement p = store.load();
    QCOMPARE(p.left, 100);
    QCOMPARE(p.top, 1000);
    QCOMPARE(p.width, 8580);
    QCOMPARE(p.height, 7290);
}

// What a hand-edited or damaged store gives, key by key.
void TestWindowPlacement::storedValues_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("left as text") << "MainLeft" << QVariant("2400") << 2400;
    QTest::newRow("left of a screen on the left") << "MainLeft" << QVariant("-1500") << -1500;
    QTest::newRow("top with blanks") << "MainTop" << QVariant(" 300 ") << 300;
    QTest::newRow("width with fraction") << "MainWidth" << QVariant("9000.6") << 9001;
    QTest::newRow("stored as a number") << "MainHeight" << QVariant(6000) << 6000;
    QTest::newRow("left not a number") << "MainLeft" << QVariant("left") << 100;
    QTest::newRow("top empty") << "MainTop" << QVariant("") << 1000;
    QTest::newRow("width zero") << "MainWidth" << QVariant("0") << 8580;
    QTest::newRow("height negative") << "MainHeight" << QVariant("-20") << 7290;
    QTest::newRow("height beyond int") << "MainHeight" << QVariant("1e30") << 2147483647;
    QTest::newRow("width not finite") << "MainWidth" << QVariant("inf") << 8580;
}

void TestWindowPlacement::storedValues() {
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    const QString path = m_dir.filePath(QStringLiteral("values.ini"));
    QFile::remove(path);
    {
        QSettings s(path, QSettings::IniFormat);
        s.setValue(QStringLiteral("Settings/") + key, stored);
    }
    const WindowPlacement p = WindowPlacementStore(path).load();
    const int got = key == QLatin1String("MainLeft")    ? p.left
                    : key == QLatin1String("MainTop")   ? p.top
                    : key == QLatin1String("MainWidth") ? p.width
                                                        : p.height;
    QCOMPARE(got, expected);
}

void TestWindowPlacement::saveThenLoad() {
    const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
    const WindowPlacement saved{-200, 450, 12000, 9000};
    QVERIFY(WindowPlacementStore(path).save(saved));
    QCOMPARE(WindowPlacementStore(path).load(), saved);
    // Kept as text, as the keys always were.
    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/MainWidth")).typeId(), QMetaType::QString);
    QCOMPARE(raw.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("-200"));
}

void TestWindowPlacement::nativeStoreUsesCorvaneSettings() {
    const WindowPlacement saved{300, 600, 9000, 8000};
    QVERIFY(WindowPlacementStore().save(saved));
    QCOMPARE(WindowPlacementStore().load(), saved);
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvane"),
                  QStringLiteral("Corvane"));
    QVERIFY2(raw.fileName().startsWith(m_dir.path()), qPrintable(raw.fileName()));
    QCOMPARE(raw.value(QStringLiteral("Settings/MainTop")).toString(), QStringLiteral("600"));
}

void TestWindowPlacement::twipsToPixels_data() {
    QTest::addColumn<int>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("twipsBack");
    QTest::newRow("an inch at 96") << 1440 << 96.0 << 96 << 1440;
    QTest::newRow("default left at 96") << 100 << 96.0 << 7 << 105;
    QTest::newRow("default top at 96") << 1000 << 96.0 << 67 << 1005;
    QTest::newRow("default width at 96") << 8580 << 96.0 << 572 << 8580;
    QTest::newRow("default height at 96") << 7290 << 96.0 << 486 << 7290;
    QTest::newRow("default width at 144") << 8580 << 144.0 << 858 << 8580;
    QTest::newRow("default height at 120") << 7290 << 120.0 << 608 << 7296;
    QTest::newRow("negative left") << -1500 << 96.0 << -100 << -1500;
    QTest::newRow("no density given: 96") << 1440 << 0.0 << 96 << 1440;
    QTest::newRow("density not a number: 96") << 720 << qQNaN() << 48 << 720;
}

void TestWindowPlacement::twipsToPixels() {
    QFETCH(int, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QFETCH(int, twipsBack);
    QCOMPARE(::twipsToPixels(twips, dpi), pixels);
    QCOMPARE(pixelsToTwips(pixels, dpi), twipsBack);
}

// A window opened and closed again without being moved must not creep.
void TestWindowPlacement::pixelRoundTripSettles() {
    for (double dpi : {72.0, 96.0, 120.0, 144.0, 192.0}) {
        const WindowPlacement start{};
        const WindowPlacement once = placementFromPixels(placementToPixels(start, dpi), dpi);
        const WindowPlacement twice = placementFromPixels(placementToPixels(once, dpi), dpi);
        QCOMPARE(twice, once);
        QCOMPARE(placementToPixels(once, dpi), placementToPixels(start, dpi));
    }
}

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_windowplacement.moc"
