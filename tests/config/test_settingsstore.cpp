// The settings the window restores at start-up and saves at close, through
// corvane.INI, and where that file lives. (Defaults with no file, and a full
// save and restart, are checked on the window itself.) Then the window placement,
// and IniDocument underneath.
#include "config/inidocument.h"
#include "config/settingsstore.h"
#include "config/windowplacement.h"
#include "support/fulldisk.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A read value as text; "-" for no value.
QString shown(std::optional<int> v) {
    return v ? QString::number(*v) : QStringLiteral("-");
}

// "file", "fifo", "folder" or "other" for what is at `path`; "" for nothing.
QString kindOf(const QString& path) {
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    return QLatin1String(S_ISREG(st.st_mode)    ? "file"
                         : S_ISFIFO(st.st_mode) ? "fifo"
                         : S_ISDIR(st.st_mode)  ? "folder"
                                                : "other");
}

// "opened N, replaced M": how often, by the change notifications waiting on
// the inotify descriptor `fd`, the file `name` was opened and how often
// another file was renamed onto its name.
QString fileEvents(int fd, const QByteArray& name) {
    int opened = 0, replaced = 0;
    alignas(inotify_event) char buf[8192];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
        for (const char* p = buf; p < buf + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len > 0 && name == e->name) {
                opened += (e->mask & IN_OPEN) != 0;
                replaced += (e->mask & IN_MOVED_TO) != 0;
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
    return QStringLiteral("opened %1, replaced %2").arg(opened).arg(replaced);
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

// Far too large to be settings: not ours to read, nor to replace.
const QByteArray kTooLarge = "[Program]\r\nTarget=1\r\n" + QByteArray(2 << 20, ';');

// A file of `size` bytes with section [P] and a comment; writing "K=1" into it
// adds 5 bytes.
QByteArray padded(int size) {
    return "[P]\r\n;" + QByteArray(size - 8, 'x') + "\r\n";
}

// A place name that no 8-bit code page of ours holds.
const QString kLodz = QStringLiteral("\u0141\u00F3d\u017A");

// As Notepad saves "Unicode" (little-endian) and "Unicode big endian".
QByteArray utf16(QStringView text, bool bigEndian = false) {
    QByteArray out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}
} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    IniDocument loaded() const {
        IniDocument ini;
        ini.load(m_path);
        return ini;
    }

private slots:
    // The window placement store of this run lives in the temporary folder.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())); }
    void init() {
        m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
        if (!QFile::remove(m_path))
            QDir().rmdir(m_path); // a folder left by refusedFiles
    }

    // "Password", "FlowFlault", "Loging" and "Target" all hold `value`; the
    // first two read as a boolean, the others as a number (each pair goes
    // through one reader; the save below proves the key names). No value
    // ("-") means the window leaves its option or text box as it is.
    void readBack_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("true in lower case") << QByteArray("true") << "1 -";
        QTest::newRow("false in lower case") << QByteArray("false") << "0 -";
        QTest::newRow("-1") << QByteArray("-1") << "1 -1";
        QTest::newRow("blank") << QByteArray(" ") << "- 0";
        QTest::newRow("leading digits") << QByteArray("12abc") << "- 12";
        QTest::newRow("a lone minus") << QByteArray("-") << "- -";
    }
    void readBack() {
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        putFile(m_path, QByteArray("[Program]\nPassword=@\nFlowFlault=@\nLoging=@\nTarget=@\n")
                            .replace('@', value));
        const StoredSettings s = loadSettings(m_path);
        QCOMPARE(shown(s.password) + ' ' + shown(s.logRate), expected);
    }

    // Every key in the traditional order and form; read back as written,
    // except the run times, which are kept for the record only. A text box
    // holding no number leaves its stored key as it was.
    void saveWritesEveryKeyInOrder() {
        StoredSettings v{3, true, false, -1, 15, 1, -1, 0, -1, 2500, {}, QStringLiteral("x")};
        v.startDateTime = storedDateTime(QDate(2026, 12, 6), QTime(8, 0, 9, 70));
        QString error = QStringLiteral("stale");
        QVERIFY(saveSettings(m_path, v, &error) && error.isEmpty());
        QCOMPARE(fileBytes(m_path),
                 QByteArray("[Comm Port]\r\nCommPort=3\r\n\r\n[Program]\r\nPassword=True\r\n"
                            "FlowFlault=False\r\nStartup Screen=-1\r\nLoging=15\r\nTiming on=1\r\n"
                            "Start/Stop=-1\r\nMeasure=0\r\nVolumetric=-1\r\nTarget=2500\r\n"
                            "Strt_dttm=20261206 08:00:09.07\r\nStop_dttm=x\r\n"));
        QVERIFY(
            saveSettings(m_dir.filePath("copy.INI"), loadSettings(m_path))); // read back as written
        QCOMPARE(fileBytes(m_dir.filePath("copy.INI")),
                 fileBytes(m_path).replace("20261206 08:00:09.07", "").replace("=x", "="));
        v.logRate = roundedWholeNumber(QStringLiteral("ten"));
        QVERIFY(saveSettings(m_path, v));
        QCOMPARE(loadSettings(m_path).logRate, std::optional<int>(15));
    }

    // A save reads the file once and replaces it once, so a kill part-way
    // leaves the old file or the new one, never a mix of both; a start reads
    // it once, so every key comes from the same file.
    void oneReadOneReplace() {
        putFile(m_path, "[Comm Port]\r\nCom1=/dev/ttyUSB0\r\n");
        const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const auto closeFd = qScopeGuard([fd] { close(fd); });
        QVERIFY(fd >= 0 && inotify_add_watch(fd, QFile::encodeName(m_dir.path()).constData(),
                                             IN_OPEN | IN_MOVED_TO) >= 0);
        QVERIFY(saveSettings(m_path, StoredSettings{}));
        QCOMPARE(fileEvents(fd, "corvane.INI"), QStringLiteral("opened 1, replaced 1"));
        QCOMPARE(loadSettings(m_path).commPort, 0);
        QCOMPARE(fileEvents(fd, "corvane.INI"), QStringLiteral("opened 1, replaced 0"));
    }

    // "CommPort" as found in the file, what loadSettings reads (the window
    // selects a port only for 1 to 4), and the section after what was read is
    // saved again: a commented-out port is no port and stays as it is.
    void commPort_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("port");
        QTest::addColumn<QByteArray>("saved");
        auto row = [](const char* line, int port, const char* saved) {
            QTest::newRow(line) << QByteArray(line) << port
                                << "[Comm Port]\r\n" + QByteArray(saved) + "\r\n";
        };
        row("CommPort=5", 5, "CommPort=5\r\nCom1=/dev/ttyUSB0");
        row("CommPort=-1", -1, "CommPort=-1\r\nCom1=/dev/ttyUSB0");
        row(" commport = 3 ", 3, "CommPort=3\r\nCom1=/dev/ttyUSB0");
        row("#CommPort=3", 0, "#CommPort=3\r\nCom1=/dev/ttyUSB0\r\nCommPort=0");
    }
    void commPort() {
        QFETCH(QByteArray, line);
        QFETCH(int, port);
        QFETCH(QByteArray, saved);
        putFile(m_path, "[Comm Port]\r\n" + line + "\r\nCom1=/dev/ttyUSB0\r\n");
        const StoredSettings s = loadSettings(m_path);
        QCOMPARE(s.commPort, port);
        QVERIFY(saveSettings(m_path, s));
        const QByteArray file = fileBytes(m_path);
        QCOMPARE(file.left(file.indexOf("\r\n[Program]")), saved);
    }

    // Files a save leaves as they are: no regular file, one already past the
    // read limit, one the save would push past it (then no key at all is
    // written: the next start would ignore the whole file), and one on a full
    // disk (the port mapping must survive a save that cannot be finished).
    // Load and save say why, for the user.
    void refusedFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("size"); // of a regular file
        QTest::addColumn<int>("port"); // as read, before and after the save
        QTest::addColumn<QString>("loadError");
        QTest::addColumn<QString>("saveError");
        const QString notRegular = QStringLiteral("is not a regular file");
        const QString tooLarge = QStringLiteral("larger than 1 MiB");
        QTest::newRow("FIFO") << "fifo" << 0 << 0 << notRegular << notRegular;
        QTest::newRow("folder") << "folder" << 0 << 0 << notRegular << notRegular;
        QTest::newRow("past the read limit")
            << "file" << (1 << 20) + 1 << 0 << tooLarge << tooLarge;
        QTest::newRow("pushed past the read limit")
            << "file" << (1 << 20) - 64 << 2 << QString() << tooLarge;
        QTest::newRow("on a full disk")
            << "full disk" << 200 << 2 << QString() << "No space left on device";
    }
    void refusedFiles() {
        QFETCH(QString, kind);
        QFETCH(int, size);
        QFETCH(int, port);
        QFETCH(QString, loadError);
        QFETCH(QString, saveError);
        std::unique_ptr<FullDisk> disk;
        QString path = m_path;
        if (kind == QLatin1String("full disk")) {
            disk = std::make_unique<FullDisk>(m_dir.filePath(QStringLiteral("disk")));
            if (!disk->mounted())
                QSKIP(qPrintable(disk->whyNot()));
            path = disk->filePath(kSettingsFileName);
            kind = QStringLiteral("file");
        }
        const QByteArray native = QFile::encodeName(path);
        QByteArray bytes = "[Comm Port]\r\nCommPort=2\r\n[Program]\r\n;";
        bytes += QByteArray(qMax(0, size - int(bytes.size()) - 2), 'x') + "\r\n";
        if (kind == QLatin1String("fifo"))
            QVERIFY(mkfifo(native.constData(), 0600) == 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else
            putFile(path, bytes);
        if (disk)
            QVERIFY(disk->fill());
        QString error = QStringLiteral("stale");
        QCOMPARE(loadSettings(path, &error).commPort, port);
        QVERIFY2(loadError.isEmpty() ? error.isEmpty() : error.contains(loadError),
                 qPrintable(error));
        StoredSettings v;
        v.commPort = 4;
        QVERIFY(!saveSettings(path, v, &error));
        QVERIFY2(error.contains(saveError), qPrintable(error));
        QCOMPARE(kindOf(path), kind);
        if (kind == QLatin1String("file"))
            QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(loadSettings(path).commPort, port);
    }

    // Halves go to the even neighbour; anything that is no plain decimal
    // number, or does not fit, gives no value.
    void rounding_data() {
        QTest::addColumn<QString>("row"); // "text=expected"
        for (const char* row : {"2147483647.5=-", "2147483648=-", "99999999999999999999=-", "=-",
                                "12abc=-", "1e3=-", "1.2.3=-", "-=-", "  15 =15", "1.5=2", "2.5=2",
                                "-3.5=-4", "2500.50=2500", "2.500001=3", "-2147483648=-2147483648"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void rounding() {
        QFETCH(QString, row);
        QCOMPARE(shown(roundedWholeNumber(row.section('=', 0, 0))), row.section('=', 1));
    }

    // The program folder if it takes new files, otherwise a per-user folder,
    // with a copy of the file shipped in the program folder; an installed
    // file is read-only, its copy must take the user's saves.
    void location_data() {
        QTest::addColumn<QString>("program");
        for (const char* program : {"writable", "read-only", "gone"})
            QTest::newRow(program) << QString::fromLatin1(program);
    }
    void location() {
        QFETCH(QString, program);
        QTemporaryDir root;
        const QString programFolder = root.filePath(QStringLiteral("bin"));
        const QString userFolder = root.filePath(QStringLiteral("home/.config/Corvane"));
        QVERIFY(QDir().mkpath(programFolder));
        const QString shipped = QDir(programFolder).filePath(kSettingsFileName);
        putFile(shipped, "[Comm Port]\nCom1=/dev/X\n");
        const auto restore = qScopeGuard([&] { setFolderReadOnly(programFolder, false); });
        if (program == QLatin1String("read-only")) {
            QFile::setPermissions(shipped, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            setFolderReadOnly(programFolder, true);
            QFile probe(QDir(programFolder).filePath(QStringLiteral("probe")));
            if (probe.open(QIODevice::WriteOnly) && probe.remove())
                QSKIP("this user can write into any folder");
        }
        const bool gone = program == QLatin1String("gone"),
                   perUser = program != QLatin1String("writable");
        const SettingsLocation where =
            settingsFilePath(gone ? root.filePath("gone") : programFolder, userFolder, false);
        QCOMPARE(where.perUser, perUser);
        QCOMPARE(where.path,
                 QDir(perUser ? userFolder : programFolder).filePath(kSettingsFileName));
        // Choosing leaves nothing behind in the program folder.
        QCOMPARE(QDir(programFolder).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // The user may save into the copy (root would write a read-only one
        // all the same, so its mode is what tells).
        QVERIFY(gone || (QFile::permissions(where.path) & QFile::WriteOwner));
        // A shipped port mapping comes along, and the copy can be saved.
        QVERIFY(saveSettings(where.path, loadSettings(where.path)));
        QCOMPARE(fileBytes(where.path).contains("Com1=/dev/X\n"), !gone);
    }

    // Which program folders count as the system's, so corvane.INI never goes
    // beside an installed program or one run as root.
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

    // Window placement: what a damaged store gives, what a save leaves for the next
    // start, and twips to pixels at the screen's density. (Defaults on a first
    // start and the save on close are checked on the window itself.)
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

    // IniDocument against the files corvane.INI is found as: written by us, by
    // Windows, or by hand in an editor, one key read or written per load.
    // One file, one key in section "Program": what readString and readInt
    // make of it ("text|number"), with the defaults "dflt" and 42.
    void readKeys_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QByteArray& file, const char* key, QString want) {
            QTest::newRow(name) << file << QString(key) << want;
        };
        const QString x249(249, 'x');
        row("no file", "", "Target", "dflt|42");
        row("other section, commented out", "[Comm Port]\nT=5\n[Program]\n;T=9\n", "T", "dflt|42");
        row("names in any case, blanks", "[ PROGRAM ]\r\n Startup Screen = -1 \r\n",
            "startup SCREEN", "-1|-1");
        row("empty value", "[Program]\nLoging=\n", "Loging", "|42");
        row("smallest", "[Program]\nT=-2147483648", "T", "-2147483648|-2147483648");
        row("beyond 32 bits saturates", "[Program]\nT=99999999999", "T", "99999999999|2147483647");
        row("byte-order mark", "\xEF\xBB\xBF[Program]\r\nCommPort=2\r\n", "CommPort", "2|2");
        row("cut to 249", "[Program]\nK=" + x249.toLatin1() + "yyy\n", "K", x249 + "|0");
        row("far too large", kTooLarge, "Target", "dflt|42");
        row("'#' comment is no key", "[Program]\r\n#T=3\r\n", "#T", "dflt|42");
        row("UTF-16 LE", utf16(u"; caf\u00E9\r\n[Program]\r\nT=-5\r\n"), "t", "-5|-5");
        row("UTF-16 BE, non-Latin-1 text", utf16("[Program]\r\nT=" + kLodz + "\r\n", true), "T",
            kLodz + "|0");
    }
    void readKeys() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        if (!file.isEmpty())
            putFile(m_path, file);
        const IniDocument ini = loaded();
        const QString text = ini.readString("Program", key, "dflt");
        QCOMPARE(text + '|' + QString::number(ini.readInt("Program", key, 42)), expected);
        QCOMPARE(QFile::exists(m_path), !file.isEmpty()); // reading never creates the file
    }

    // A write changes one line, or adds one, and leaves every other byte
    // alone; a file it cannot read it refuses to replace (no "after" below).
    // A new file is checked with the settings store.
    void writeKeepsTheRest_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("entry"); // "Section:key=value"
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char* name, const QByteArray& before, const QString& entry,
                      QByteArray after) { QTest::newRow(name) << before << entry << after; };
        row("key in other case", kHandWritten, "Program:Password=True",
            edited("password=False", "Password=True"));
        row("new key after the section's last", kHandWritten, "comm port:Com2=/dev/ttyS9",
            edited("Com1=/dev/ttyUSB0\r\n", "Com1=/dev/ttyUSB0\r\nCom2=/dev/ttyS9\r\n"));
        row("new section", kHandWritten, "Extra:A b=c",
            kHandWritten + "\r\n\r\n[Extra]\r\nA b=c\r\n");
        row("LF, byte-order mark and other code page kept",
            "\xEF\xBB\xBF; caf\xE9 \xC3\xA9\n[P]\nM=0\n\n[O]\nX=1\n", "P:V=0",
            "\xEF\xBB\xBF; caf\xE9 \xC3\xA9\n[P]\nM=0\nV=0\n\n[O]\nX=1\n");
        row("line end in a value stays one line", "", "P:S=a\r\n[Evil]\nX=1",
            "[P]\r\nS=a  [Evil] X=1\r\n");
        row("far too large: refused", kTooLarge, "Program:Target=2", QByteArray());
        // The next start must be able to read what a write leaves.
        row("filled to the read limit", padded((1 << 20) - 5), "P:K=1",
            padded((1 << 20) - 5).replace("[P]\r\n", "[P]\r\nK=1\r\n"));
        row("one byte past the read limit: refused", padded((1 << 20) - 4), "P:K=1", QByteArray());
        row("'#' comment kept as it is", "[Comm Port]\r\n#CommPort=3\r\n", "comm port:CommPort=4",
            "[Comm Port]\r\nCommPort=4\r\n#CommPort=3\r\n");
        // Notepad's "Unicode": UTF-16 with a byte-order mark, both byte orders.
        row("UTF-16 LE kept", utf16(u"; caf\u00E9\r\n[P]\r\nT=1\r\n# n=1\r\n[O]\r\nX=1\r\n"),
            "P:Site=" + kLodz,
            utf16("; caf\u00E9\r\n[P]\r\nT=1\r\nSite=" + kLodz + "\r\n# n=1\r\n[O]\r\nX=1\r\n"));
        row("UTF-16 BE kept", utf16(u"[P]\nM=0\n", true), "p:m=-1", utf16(u"[P]\nm=-1\n", true));
        // An 8-bit write into a UTF-16 file can leave an odd byte count; the
        // stray last byte is kept, not read.
        row("UTF-16 with a stray last byte", utf16(u"[P]\r\nM=0\r\n") + "\r", "P:M=2",
            utf16(u"[P]\r\nM=2\r\n") + "\r");
    }
    void writeKeepsTheRest() {
        QFETCH(QByteArray, before);
        QFETCH(QString, entry);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            putFile(m_path, before);
        const QString key = entry.section(':', 1).section('=', 0, 0);
        IniDocument ini = loaded();
        ini.writeString(entry.section(':', 0, 0), key, entry.section('=', 1));
        QCOMPARE(ini.save(), !after.isNull());
        QCOMPARE(fileBytes(m_path), after.isNull() ? before : after);
        // The save went through a temporary file that is gone again.
        QCOMPARE(QDir(m_dir.path()).entryList({"corvane.INI*"}, QDir::Files),
                 QStringList{"corvane.INI"});
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
