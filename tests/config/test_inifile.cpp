// cIniFile against the files corvane.INI is found as: written by us, by
// Windows, or by hand in an editor.
#include "config/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {
QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

// The last line has no line end; a save ends it.
const QByteArray kHandWritten =
    "; Corvane settings, edited by hand\r\n[Comm Port]\r\nCommPort=2\r\n"
    "Com1=/dev/ttyUSB0\r\n\r\n# site notes\r\n[program]\r\n"
    "password=False\r\n; keep the target low\r\nStartup Screen = -1\r\n"
    "\r\n[Trailer]\r\nKept=yes";

QByteArray edited(const char* from, const char* to) {
    return QByteArray(kHandWritten).replace(from, to) + "\r\n";
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    cIniFile ini(const QString& section) const {
        cIniFile i;
        i.filename = m_path;
        i.Section = section;
        return i;
    }

private slots:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
        QFile::remove(m_path);
        QDir(m_path).removeRecursively();
    }

    // One file, one key in section "Program": what ReadString and ReadInt
    // make of it, with the defaults "dflt" and 42.
    void readKeys_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("number");
        auto row = [](const char* name, const QByteArray& file, const char* key,
                      const QString& text,
                      qint32 n) { QTest::newRow(name) << file << QString(key) << text << n; };
        const QByteArray x249(249, 'x');
        row("no file", "", "Target", "dflt", 42);
        row("key in another section", "[Comm Port]\nTarget=5\n[Program]\n", "Target", "dflt", 42);
        row("names in any case", "[PROGRAM]\ntarget=1500\n", "TARGET", "1500", 1500);
        row("key with blanks", "[ Program ]\r\n Startup Screen = -1 \r\n", "startup screen", "-1",
            -1);
        row("leading digits", "[Program]\nLoging=12abc\n", "Loging", "12abc", 12);
        row("empty value", "[Program]\nLoging=\n", "Loging", "", 42);
        row("smallest", "[Program]\nT=-2147483648", "T", "-2147483648", INT32_MIN);
        row("beyond 32 bits saturates", "[Program]\nT=99999999999", "T", "99999999999", INT32_MAX);
        row("commented-out key", "[Program]\n;Target=900\n", "Target", "dflt", 42);
        row("byte-order mark", "\xEF\xBB\xBF[Program]\r\nCommPort=2\r\n", "CommPort", "2", 2);
        row("cut to 249", "[Program]\nK=" + x249 + "yyy\n", "K", QString(x249), 0);
    }
    void readKeys() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(qint32, number);
        if (!file.isEmpty())
            putFile(m_path, file);
        QString gotText;
        qint32 gotNumber = -7;
        QVERIFY(ini("Program").ReadString(key, gotText, "dflt") &&
                ini("Program").ReadInt(key, gotNumber, 42));
        QCOMPARE(gotText, text);
        QCOMPARE(gotNumber, number);
        QCOMPARE(QFile::exists(m_path), !file.isEmpty()); // reading never creates the file
    }

    void emptySectionOrFileDoesNothing() {
        cIniFile noSection = ini(""), noFile = ini("Program");
        noFile.filename.clear();
        for (cIniFile& i : {std::ref(noSection), std::ref(noFile)}) {
            QString text = QStringLiteral("kept");
            qint32 number = 9;
            QVERIFY(!i.ReadString("T", text, "d") && !i.ReadInt("T", number, 1) &&
                    !i.WriteInt("T", 5));
            QCOMPARE(text + QString::number(number), QStringLiteral("kept9"));
        }
        QVERIFY(!QFile::exists(m_path));
    }

    // A write changes one line, or adds one, and leaves every other byte alone.
    void writeKeepsTheRest_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section"); // "key=value" is written there
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char* name, const QByteArray& before, const char* section,
                      const char* entry, const QByteArray& after) {
            QTest::newRow(name) << before << QString(section) << QString(entry) << after;
        };
        row("no file", "", "Comm Port", "CommPort=1", "[Comm Port]\r\nCommPort=1\r\n");
        row("key in other case", kHandWritten, "Program", "Password=True",
            edited("password=False", "Password=True"));
        row("new key after the section's last", kHandWritten, "comm port", "Com2=/dev/ttyS9",
            edited("Com1=/dev/ttyUSB0\r\n", "Com1=/dev/ttyUSB0\r\nCom2=/dev/ttyS9\r\n"));
        row("new section", kHandWritten, "Extra", "A b=c",
            kHandWritten + "\r\n\r\n[Extra]\r\nA b=c\r\n");
        row("LF stays LF", "[P]\nM=0\n\n[O]\nX=1\n", "P", "V=0", "[P]\nM=0\nV=0\n\n[O]\nX=1\n");
        row("byte-order mark kept", "\xEF\xBB\xBF[P]\r\nT=1\r\n", "P", "T=2",
            "\xEF\xBB\xBF[P]\r\nT=2\r\n");
        row("other code page kept", "; caf\xE9 \xC3\xA9\n[P]\nT=1\n", "P", "T=3",
            "; caf\xE9 \xC3\xA9\n[P]\nT=3\n");
        row("line end in a value stays one line", "", "P", "S=a\r\n[Evil]\nX=1",
            "[P]\r\nS=a  [Evil] X=1\r\n");
    }
    void writeKeepsTheRest() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, entry);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            putFile(m_path, before);
        QVERIFY(ini(section).WriteString(entry.section('=', 0, 0), entry.section('=', 1)));
        QCOMPARE(fileBytes(m_path), after);
        // The save went through a temporary file that is gone again.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"corvane.INI"});
    }

    // A file that is there but cannot be read (a folder, far too large to be
    // settings) is not ours to replace, and a folder that is not there gets no
    // file: the write fails and nothing changes.
    void unwritableFileIsLeftAlone_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"a folder", "far too large", "no folder"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void unwritableFileIsLeftAlone() {
        QFETCH(QString, how);
        QByteArray original = "[Program]\r\nTarget=1\r\n";
        if (how == QLatin1String("a folder")) {
            QVERIFY(QDir().mkpath(m_path + QStringLiteral("/inside")));
            original.clear();
        } else if (how == QLatin1String("no folder")) {
            m_path = m_dir.filePath(QStringLiteral("no/such/corvane.INI"));
            original.clear();
        } else {
            original += QByteArray(2 * 1024 * 1024, ';');
            putFile(m_path, original);
        }
        QString text;
        QVERIFY(!ini("Program").WriteString("Target", "2"));
        QVERIFY(ini("Program").ReadString("Target", text, "d"));
        QCOMPARE(text, QStringLiteral("d"));
        QCOMPARE(fileBytes(m_path), original);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
