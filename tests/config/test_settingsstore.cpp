// The settings the window restores at start-up and saves at close, through
// corvane.INI, and where that file lives. (Defaults with no file, and a full
// save and restart, are checked on the window itself.)
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
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
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
        return !probe.open(QIODevice::WriteOnly) || !probe.remove();
    }

private:
    QString m_path;
    bool m_immutable = false;
};
} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
        QFile::remove(m_path);
    }

    // "Password", "FlowFlault", "Loging" and "Target" all hold `value`. No
    // value means the window leaves its option or text box as it is.
    void readBack_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<std::optional<bool>>("boolean");
        QTest::addColumn<std::optional<int>>("number");
        const std::optional<bool> yes(true), no(false), noBool;
        const std::optional<int> noNumber;
        QTest::newRow("True") << QByteArray("True") << yes << noNumber;
        QTest::newRow("False in lower case") << QByteArray("false") << no << noNumber;
        QTest::newRow("-1") << QByteArray("-1") << yes << std::optional<int>(-1);
        QTest::newRow("blank") << QByteArray(" ") << noBool << std::optional<int>(0);
        QTest::newRow("leading digits") << QByteArray("12abc") << noBool << std::optional<int>(12);
        QTest::newRow("rubbish") << QByteArray("maybe") << noBool << noNumber;
        QTest::newRow("a lone minus") << QByteArray("-") << noBool << noNumber;
    }
    void readBack() {
        QFETCH(QByteArray, value);
        QFETCH(std::optional<bool>, boolean);
        QFETCH(std::optional<int>, number);
        putFile(m_path, "[Program]\nPassword=" + value + "\nFlowFlault=" + value +
                            "\nLoging=" + value + "\nTarget=" + value + "\n");
        const StoredSettings s = LoadSettings(m_path);
        QVERIFY(s.password == boolean && s.flowFault == boolean);
        QVERIFY(s.logRate == number && s.targetFlow == number);
    }

    // Every key in the traditional order and form; read back as written,
    // except the run times, which are kept for the record only.
    void saveWritesEveryKeyInOrder() {
        StoredSettings v{3, true, false, -1, 15, 1, -1, 0, -1, 2500, {}, QStringLiteral("x")};
        v.startDateTime = storedDateTime(QDate(2026, 12, 6), QTime(8, 0, 9, 70));
        QVERIFY(SaveSettings(m_path, v));
        QCOMPARE(fileBytes(m_path),
                 QByteArray("[Comm Port]\r\nCommPort=3\r\n\r\n[Program]\r\nPassword=True\r\n"
                            "FlowFlault=False\r\nStartup Screen=-1\r\nLoging=15\r\nTiming on=1\r\n"
                            "Start/Stop=-1\r\nMeasure=0\r\nVolumetric=-1\r\nTarget=2500\r\n"
                            "Strt_dttm=20261206 08:00:09.07\r\nStop_dttm=x\r\n"));
        const StoredSettings r = LoadSettings(m_path);
        QCOMPARE(std::make_tuple(r.commPort, r.password, r.flowFault, r.startupScreen, r.logRate,
                                 r.timingOn, r.startStop, r.measure, r.volumetric, r.targetFlow),
                 std::make_tuple(v.commPort, v.password, v.flowFault, v.startupScreen, v.logRate,
                                 v.timingOn, v.startStop, v.measure, v.volumetric, v.targetFlow));
        QVERIFY(r.startDateTime.isEmpty() && r.stopDateTime.isEmpty());
    }

    // A text box holding no number leaves the stored key as it was.
    void notANumberKeepsStoredValue() {
        StoredSettings v;
        v.logRate = 10;
        QVERIFY(SaveSettings(m_path, v));
        v.logRate = roundedWholeNumber(QStringLiteral("ten"));
        v.targetFlow = roundedWholeNumber(QStringLiteral("2500.5"));
        QVERIFY(SaveSettings(m_path, v));
        QCOMPARE(LoadSettings(m_path).logRate, std::optional<int>(10));
        QCOMPARE(LoadSettings(m_path).targetFlow, std::optional<int>(2500));
    }

    // Halves go to the even neighbour; anything that is no plain decimal
    // number, or does not fit, gives no value (-1 below).
    void rounding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        for (const char* text : {"2147483647.5", "2147483648", "99999999999999999999", "", "12abc",
                                 "1e3", "1,5", "1.2.3", "-"})
            QTest::newRow(text) << QString::fromLatin1(text) << -1;
        QTest::newRow("blanks around") << "  15 " << 15;
        QTest::newRow("0.5") << "0.5" << 0;
        QTest::newRow("1.5") << "1.5" << 2;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("-3.5") << "-3.5" << -4;
        QTest::newRow("2500.50") << "2500.50" << 2500;
        QTest::newRow("just above half") << "2.500001" << 3;
        QTest::newRow("smallest") << "-2147483648" << INT32_MIN;
    }
    void rounding() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(roundedWholeNumber(text).value_or(-1), expected);
    }

    void location_data() {
        QTest::addColumn<QString>("program");  // "writable", "read-only", "missing"
        QTest::addColumn<bool>("shippedFile"); // corvane.INI already in the program folder
        QTest::addColumn<bool>("perUser");
        QTest::newRow("writable folder, no file yet") << "writable" << false << false;
        QTest::newRow("writable folder with file") << "writable" << true << false;
        QTest::newRow("read-only folder, no file") << "read-only" << false << true;
        QTest::newRow("read-only folder with file: copied") << "read-only" << true << true;
        QTest::newRow("folder gone") << "missing" << false << true;
    }
    void location() {
        QFETCH(QString, program);
        QFETCH(bool, shippedFile);
        QFETCH(bool, perUser);
        QTemporaryDir root;
        const QString programFolder = root.filePath(QStringLiteral("bin"));
        const QString userFolder = root.filePath(QStringLiteral("home/.config/Corvane"));
        if (program != QLatin1String("missing"))
            QVERIFY(QDir().mkpath(programFolder));
        const QString shipped = QDir(programFolder).filePath(kSettingsFileName);
        if (shippedFile) {
            putFile(shipped, "[Comm Port]\nCom1=/dev/X\n");
            QFile::setPermissions(shipped, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        std::optional<ReadOnlyFolder> readOnly;
        if (program == QLatin1String("read-only") && !readOnly.emplace(programFolder).holds())
            QSKIP("this user can write into any folder");

        const SettingsLocation where = settingsFilePath(programFolder, userFolder);
        QCOMPARE(where.perUser, perUser);
        QCOMPARE(where.path,
                 QDir(perUser ? userFolder : programFolder).filePath(kSettingsFileName));
        // Choosing leaves nothing behind in the program folder.
        QCOMPARE(QDir(programFolder).entryList(QDir::Files | QDir::Hidden).size(),
                 int(shippedFile));
        if (perUser) { // a shipped port mapping comes along, and the copy can be saved
            StoredSettings v;
            v.commPort = 1;
            QVERIFY(SaveSettings(where.path, v));
            QCOMPARE(LoadSettings(where.path).commPort, 1);
            QCOMPARE(fileBytes(where.path).contains("Com1=/dev/X\n"), shippedFile);
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
