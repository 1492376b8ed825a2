// The settings the window restores at start-up and saves at close, through
// corvane.INI, and where that file lives.
#include "config/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(std::optional<bool>)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Makes a folder refuse new files for the length of a test, as an installed
// program's folder does. Root ignores file modes, so then the immutable flag
// is tried; when neither holds, the caller skips.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(path) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (geteuid() == 0)
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {"+i", path}) == 0;
    }
    ~ReadOnlyFolder() {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {"-i", m_path});
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    bool holds() const {
        QFile probe(QDir(m_path).filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly))
            return true;
        probe.remove();
        return false;
    }

private:
    QString m_path;
    bool m_immutable = false;
};

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void noFileGivesDefaults();
    void booleans_data();
    void booleans();
    void wholeNumbersReadBack_data();
    void wholeNumbersReadBack();
    void saveWritesEveryKeyInOrder();
    void roundTrip();
    void saveKeepsHandWrittenFile();
    void notANumberKeepsStoredValue();
    void rounding_data();
    void rounding();
    void dateTimeText();
    void location_data();
    void location();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestSettingsStore::init() {
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
    QFile::remove(m_path);
}

void TestSettingsStore::noFileGivesDefaults() {
    const StoredSettings s = LoadSettings(m_path);
    QCOMPARE(s.commPort, 0);
    QVERIFY(!s.password);  // no boolean: the option keeps its state
    QVERIFY(!s.flowFault); // and its partner is selected if neither is
    QCOMPARE(s.startupScreen, 0);
    QCOMPARE(s.logRate, std::optional<int>(0));
    QCOMPARE(s.timingOn, 0);
    QCOMPARE(s.startStop, 0);
    QCOMPARE(s.measure, 0);
    QCOMPARE(s.volumetric, 0);
    QCOMPARE(s.targetFlow, std::optional<int>(0));
    QVERIFY(!QFile::exists(m_path));
}

void TestSettingsStore::booleans_data() {
    QTest::addColumn<QByteArray>("keys"); // "Password" and "FlowFlault" written as
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<std::optional<bool>>("expected");
    const QByteArray asIs = "Password FlowFlault";
    QTest::newRow("True") << asIs << QByteArray("True") << std::optional<bool>(true);
    QTest::newRow("False") << asIs << QByteArray("False") << std::optional<bool>(false);
    QTest::newRow("lower case") << QByteArray("password flowflault") << QByteArray("true")
                                << std::optional<bool>(true);
    QTest::newRow("-1") << asIs << QByteArray("-1") << std::optional<bool>(true);
    QTest::newRow("0") << asIs << QByteArray("0") << std::optional<bool>(false);
    QTest::newRow("blank") << asIs << QByteArray(" ") << std::optional<bool>();
    QTest::newRow("rubbish") << asIs << QByteArray("maybe") << std::optional<bool>();
    QTest::newRow("missing") << QByteArray("Other Else") << QByteArray("True")
                             << std::optional<bool>();
}

void TestSettingsStore::booleans() {
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, value);
    QFETCH(std::optional<bool>, expected);
    const QList<QByteArray> names = keys.split(' ');
    putFile(m_path,
            "[Program]\r\n" + names[0] + "=" + value + "\r\n" + names[1] + "=" + value + "\r\n");
    const StoredSettings s = LoadSettings(m_path);
    QCOMPARE(s.password, expected);
    QCOMPARE(s.flowFault, expected);
}

void TestSettingsStore::wholeNumbersReadBack_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<std::optional<int>>("expected");
    QTest::newRow("number") << QByteArray("15") << std::optional<int>(15);
    QTest::newRow("negative") << QByteArray("-1") << std::optional<int>(-1);
    QTest::newRow("leading digits") << QByteArray("12abc") << std::optional<int>(12);
    QTest::newRow("empty is the default") << QByteArray("") << std::optional<int>(0);
    QTest::newRow("no number: keep the box") << QByteArray("abc") << std::optional<int>();
    QTest::newRow("a lone minus") << QByteArray("-") << std::optional<int>();
}

void TestSettingsStore::wholeNumbersReadBack() {
    QFETCH(QByteArray, value);
    QFETCH(std::optional<int>, expected);
    putFile(m_path, "[Program]\nLoging=" + value + "\nTarget=" + value + "\n");
    const StoredSettings s = LoadSettings(m_path);
    QCOMPARE(s.logRate, expected);
    QCOMPARE(s.targetFlow, expected);
}

void TestSettingsStore::saveWritesEveryKeyInOrder() {
    StoredSettings v;
    v.commPort = 3;
    v.password = true;
    v.flowFault = false;
    v.startupScreen = -1;
    v.logRate = 15;
    v.timingOn = 1;
    v.startStop = -1;
    v.measure = 0;
    v.volumetric = -1;
    v.targetFlow = 2500;
    v.startDateTime = QStringLiteral("20261206 08:00:00.00");
    v.stopDateTime = QStringLiteral("20261206 16:30:00.00");
    QVERIFY(SaveSettings(m_path, v));
    QCOMPARE(fileBytes(m_path), QByteArray("[Comm Port]\r\n"
                                           "CommPort=3\r\n"
                                           "\r\n"
                                           "[Program]\r\n"
                                           "Password=True\r\n"
                                           "FlowFlault=False\r\n"
                                           "Startup Screen=-1\r\n"
                                           "Loging=15\r\n"
                                           "Timing on=1\r\n"
                                           "Start/Stop=-1\r\n"
                                           "Measure=0\r\n"
                                           "Volumetric=-1\r\n"
                                           "Target=2500\r\n"
                                           "Strt_dttm=20261206 08:00:00.00\r\n"
                                           "Stop_dttm=20261206 16:30:00.00\r\n"));
}

void TestSettingsStore::roundTrip() {
    StoredSettings v;
    v.commPort = 4;
    v.password = false;
    v.flowFault = true;
    v.startupScreen = -1;
    v.logRate = -3;
    v.timingOn = 0;
    v.startStop = 0;
    v.measure = -1;
    v.volumetric = 0;
    v.targetFlow = 800;
    v.startDateTime = QStringLiteral("20270101 00:00:00.00");
    QVERIFY(SaveSettings(m_path, v));
    const StoredSettings r = LoadSettings(m_path);
    QCOMPARE(r.commPort, 4);
    QCOMPARE(r.password, std::optional<bool>(false));
    QCOMPARE(r.flowFault, std::optional<bool>(true));
    QCOMPARE(r.startupScreen, -1);
    QCOMPARE(r.logRate, std::optional<int>(-3));
    QCOMPARE(r.measure, -1);
    QCOMPARE(r.volumetric, 0);
    QCOMPARE(r.targetFlow, std::optional<int>(800));
    // The run times are kept for the record and never restored.
    QVERIFY(r.startDateTime.isEmpty());
    QVERIFY(r.stopDateTime.isEmpty());
}

void TestSettingsStore::saveKeepsHandWrittenFile() {
    putFile(m_path, "; site settings\n"
                    "[comm port]\n"
                    "Com1=/dev/ttyUSB0\n"
                    "CommPort=1\n"
                    "[Site]\n"
                    "Name=Plant 4\n"
                    "[PROGRAM]\n"
                    "Target=1000\n"
                    "; rates agreed with the hygienist\n"
                    "Loging=5\n");
    StoredSettings v;
    v.commPort = 2;
    v.password = true;
    v.targetFlow = 1200;
    QVERIFY(SaveSettings(m_path, v));
    const QByteArray after = fileBytes(m_path);
    for (const char* kept : {"; site settings\n", "Com1=/dev/ttyUSB0\n", "[Site]\nName=Plant 4\n",
                             "; rates agreed with the hygienist\n", "[comm port]\n"})
        QVERIFY2(after.contains(kept), kept);
    QVERIFY(after.contains("CommPort=2\n"));
    QVERIFY(after.contains("Target=1200\n"));
    QCOMPARE(after.count("[Program]"), 0); // the existing section was used, not a second one
    QCOMPARE(after.count("Target="), 1);
    QCOMPARE(LoadSettings(m_path).password, std::optional<bool>(true));
}

// A text box holding no number leaves the stored key as it was.
void TestSettingsStore::notANumberKeepsStoredValue() {
    StoredSettings v;
    v.logRate = 10;
    v.targetFlow = 3000;
    QVERIFY(SaveSettings(m_path, v));
    v.logRate = ::roundedWholeNumber(QStringLiteral("ten"));
    v.targetFlow = ::roundedWholeNumber(QStringLiteral("2500.5"));
    QVERIFY(SaveSettings(m_path, v));
    const StoredSettings r = LoadSettings(m_path);
    QCOMPARE(r.logRate, std::optional<int>(10));
    QCOMPARE(r.targetFlow, std::optional<int>(2500));
}

void TestSettingsStore::rounding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int>>("expected");
    const auto none = std::optional<int>();
    QTest::newRow("whole") << "15" << std::optional<int>(15);
    QTest::newRow("blanks around") << "  15 " << std::optional<int>(15);
    QTest::newRow("0.5 to even 0") << "0.5" << std::optional<int>(0);
    QTest::newRow("1.5 to even 2") << "1.5" << std::optional<int>(2);
    QTest::newRow("2.5 to even 2") << "2.5" << std::optional<int>(2);
    QTest::newRow("3.5 to even 4") << "3.5" << std::optional<int>(4);
    QTest::newRow("2500.50 to even") << "2500.50" << std::optional<int>(2500);
    QTest::newRow("just above half") << "2.500001" << std::optional<int>(3);
    QTest::newRow("just below half") << "2.4999999" << std::optional<int>(2);
    QTest::newRow("-2.5 to even") << "-2.5" << std::optional<int>(-2);
    QTest::newRow("-3.5 to even") << "-3.5" << std::optional<int>(-4);
    QTest::newRow("-0.4") << "-0.4" << std::optional<int>(0);
    QTest::newRow("plus sign") << "+7" << std::optional<int>(7);
    QTest::newRow("no fraction digits") << "15." << std::optional<int>(15);
    QTest::newRow("no whole digits") << ".6" << std::optional<int>(1);
    QTest::newRow("leading zeros") << "0050" << std::optional<int>(50);
    QTest::newRow("largest") << "2147483647" << std::optional<int>(2147483647);
    QTest::newRow("smallest") << "-2147483648" << std::optional<int>(-2147483647 - 1);
    QTest::newRow("half below largest") << "2147483646.5" << std::optional<int>(2147483646);
    QTest::newRow("rounds past largest") << "2147483647.5" << none;
    QTest::newRow("too large") << "2147483648" << none;
    QTest::newRow("far too large") << "99999999999999999999999" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blank") << "   " << none;
    QTest::newRow("letters") << "abc" << none;
    QTest::newRow("trailing letters") << "12abc" << none;
    QTest::newRow("exponent") << "1e3" << none;
    QTest::newRow("comma decimal") << "1,5" << none;
    QTest::newRow("two points") << "1.2.3" << none;
    QTest::newRow("sign alone") << "-" << none;
    QTest::newRow("point alone") << "." << none;
    QTest::newRow("inner blank") << "1 000" << none;
}

void TestSettingsStore::rounding() {
    QFETCH(QString, text);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(::roundedWholeNumber(text), expected);
}

void TestSettingsStore::dateTimeText() {
    QCOMPARE(storedDateTime(QDate(2026, 12, 6), QTime(14, 5, 9, 70)),
             QStringLiteral("20261206 14:05:09.07"));
    QCOMPARE(storedDateTime(QDate(2003, 1, 1), QTime(0, 0)),
             QStringLiteral("20030101 00:00:00.00"));
}

void TestSettingsStore::location_data() {
    QTest::addColumn<QString>("program");  // "writable", "read-only", "missing"
    QTest::addColumn<bool>("shippedFile"); // corvane.INI already in the program folder
    QTest::addColumn<bool>("perUser");
    QTest::newRow("writable folder, no file yet") << "writable" << false << false;
    QTest::newRow("writable folder with file") << "writable" << true << false;
    QTest::newRow("read-only folder, no file") << "read-only" << false << true;
    QTest::newRow("read-only folder with file: copied") << "read-only" << true << true;
    QTest::newRow("folder gone") << "missing" << false << true;
}

void TestSettingsStore::location() {
    QFETCH(QString, program);
    QFETCH(bool, shippedFile);
    QFETCH(bool, perUser);
    QTemporaryDir root;
    const QString programFolder = root.filePath(QStringLiteral("bin"));
    const QString userFolder = root.filePath(QStringLiteral("home/.config/Corvane"));
    const QString shipped = QDir(programFolder).filePath(QStringLiteral("corvane.INI"));
    if (program != QLatin1String("missing"))
        QVERIFY(QDir().mkpath(programFolder));
    if (shippedFile) {
        putFile(shipped, "[Comm Port]\nCom1=/dev/ttyUSB3\n");
        QFile::setPermissions(shipped, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    }
    std::optional<ReadOnlyFolder> readOnly;
    if (program == QLatin1String("read-only")) {
        readOnly.emplace(programFolder);
        if (!readOnly->holds())
            QSKIP("this user can write into any folder");
    }

    const SettingsLocation where = settingsFilePath(programFolder, userFolder);
    QCOMPARE(where.perUser, perUser);
    QCOMPARE(where.path,
             QDir(perUser ? userFolder : programFolder).filePath(QStringLiteral("corvane.INI")));
    // Choosing leaves nothing behind in the program folder.
    if (program != QLatin1String("missing"))
        QCOMPARE(QDir(programFolder).entryList(QDir::Files | QDir::Hidden).size(),
                 shippedFile ? 1 : 0);
    if (perUser) {
        QVERIFY(QFileInfo(userFolder).isDir());
        // A shipped port mapping comes along, and the copy can be saved.
        QCOMPARE(QFile::exists(where.path), shippedFile);
        StoredSettings v;
        v.commPort = 1;
        QVERIFY(SaveSettings(where.path, v));
        QCOMPARE(LoadSettings(where.path).commPort, 1);
        if (shippedFile)
            QVERIFY(fileBytes(where.path).contains("Com1=/dev/ttyUSB3\n"));
    }
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
