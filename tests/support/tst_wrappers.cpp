#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/wrappers.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLockFile>
#include <QProcess>
#include <QResource>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class TestWrappers : public QObject {
    Q_OBJECT
    QTemporaryDir resources;
    QByteArray resourceBytes = QByteArray("RIFF\x04\0\0\0WAVEdata", 16);

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // A resource file of our own, made with Qt's resource compiler.
        QVERIFY(resources.isValid());
        QFile data(resources.filePath("sound.bin"));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write(resourceBytes);
        data.close();
        QFile qrc(resources.filePath("test.qrc"));
        QVERIFY(qrc.open(QIODevice::WriteOnly));
        qrc.write("<RCC><qresource prefix=\"/test\"><file>sound.bin</file></qresource></RCC>");
        qrc.close();
        const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
        QProcess p;
        p.setWorkingDirectory(resources.path());
        p.start(rcc, {"--binary", "-o", "test.rcc", "test.qrc"});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QResource::registerResource(resources.filePath("test.rcc")));
    }

    // ---- tokenizer ----

    void takeWord_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("delimiters");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<QByteArray>("stop");
        QTest::newRow("delimiter consumed") << QByteArray("12.5\tmg") << QByteArray("\t") << 1
                                            << QByteArray("12.5") << QByteArray("mg") << QByteArray("\t");
        QTest::newRow("delimiter kept") << QByteArray("12.5\tmg") << QByteArray("\t") << 0
                                        << QByteArray("12.5") << QByteArray("\tmg") << QByteArray("\t");
        QTest::newRow("stops at CR") << QByteArray("AB\r\n") << QByteArray() << 2 << QByteArray("AB")
                                     << QByteArray("\r\n") << QByteArray("\r");
        QTest::newRow("controls dropped without flag 2")
            << QByteArray("AB\r\nCD") << QByteArray() << 0 << QByteArray("ABCD") << QByteArray()
            << QByteArray();
        QTest::newRow("blanks trimmed") << QByteArray("   x   ") << QByteArray() << 0 << QByteArray("x")
                                        << QByteArray() << QByteArray();
        QTest::newRow("inner blanks kept") << QByteArray(" a b ;c") << QByteArray(";") << 1
                                           << QByteArray("a b") << QByteArray("c") << QByteArray(";");
        QTest::newRow("empty text") << QByteArray() << QByteArray(",") << 1 << QByteArray()
                                    << QByteArray() << QByteArray();
        QTest::newRow("delimiter first") << QByteArray(",b") << QByteArray(",") << 1 << QByteArray()
                                         << QByteArray("b") << QByteArray(",");
        QTest::newRow("several delimiters") << QByteArray("x;y,z") << QByteArray(",;") << 1
                                            << QByteArray("x") << QByteArray("y,z") << QByteArray(";");
        QTest::newRow("NUL stops with flag 2") << QByteArray("a\0b", 3) << QByteArray() << 2
                                               << QByteArray("a") << QByteArray("\0b", 2)
                                               << QByteArray("\0", 1);
        QTest::newRow("NUL dropped with flag 0") << QByteArray("a\0b", 3) << QByteArray() << 0
                                                 << QByteArray("ab") << QByteArray() << QByteArray();
        QTest::newRow("delimiter that is a control") << QByteArray("a\tb") << QByteArray("\t") << 3
                                                     << QByteArray("a") << QByteArray("b")
                                                     << QByteArray("\t");
        QTest::newRow("control first") << QByteArray("\tx") << QByteArray() << 2 << QByteArray()
                                       << QByteArray("\tx") << QByteArray("\t");
        QTest::newRow("high characters kept") << QByteArray("\xF8" "C") << QByteArray() << 2
                                              << QByteArray("\xF8" "C") << QByteArray() << QByteArray();
    }
    void takeWord()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, delimiters);
        QFETCH(int, flags);
        QFETCH(QByteArray, word);
        QFETCH(QByteArray, rest);
        QFETCH(QByteArray, stop);

        QByteArray t = text, d = delimiters;
        QCOMPARE(NeemWoord(t, d, flags), word);
        QCOMPARE(t, rest);
        QCOMPARE(d, stop);

        QString ts = QString::fromLatin1(text), ds = QString::fromLatin1(delimiters);
        QCOMPARE(NeemWoord(ts, ds, flags), QString::fromLatin1(word));
        QCOMPARE(ts, QString::fromLatin1(rest));
        QCOMPARE(ds, QString::fromLatin1(stop));
    }

    void controlCharacter_data()
    {
        QTest::addColumn<int>("code"); // -1: no character
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("expected");
        for (int c : {13, 10, 9, 8, 12, 0}) {
            QTest::addRow("%d flag 2", c) << c << 2 << true;
            QTest::addRow("%d flags 3", c) << c << 3 << true;
            QTest::addRow("%d flag 0", c) << c << 0 << false;
            QTest::addRow("%d flag 1", c) << c << 1 << false;
        }
        QTest::newRow("none flag 2") << -1 << 2 << true;
        QTest::newRow("none flag 0") << -1 << 0 << false;
        QTest::newRow("ESC") << 27 << 2 << false;
        QTest::newRow("letter") << int('A') << 2 << false;
        QTest::newRow("blank") << 32 << 2 << false;
        QTest::newRow("255") << 255 << 2 << false;
    }
    void controlCharacter()
    {
        QFETCH(int, code);
        QFETCH(int, flags);
        QFETCH(bool, expected);
        const QString s = code < 0 ? QString() : QString(QChar(code));
        QCOMPARE(IsStuurteken(s, flags), expected);
        QCOMPARE(IsStuurteken(char(code < 0 ? 0 : code), code >= 0, flags), expected);
    }

    // ---- windows ----

    void topmost_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown window") << true;
        QTest::newRow("hidden window") << false;
    }
    void topmost()
    {
        QFETCH(bool, shown);
        QWidget w;
        const QRect place(120, 80, 300, 200);
        w.setGeometry(place);
        if (shown) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
        }
        ZetVensterBovenaan(&w);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible()); // turning it on shows the window
        QCOMPARE(w.geometry(), place);

        if (!shown)
            w.hide();
        ZetVensterNormaal(&w);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.isVisible(), shown);
        if (shown)
            QCOMPARE(w.geometry(), place);
    }

    // ---- system information ----

    void version()
    {
        APIDLL::IsWindowsNT = true;
        APIDLL::IsWindowsXP = true;
        QVERIFY(!BepaalWindowsVersie().isEmpty());
        QVERIFY(!APIDLL::IsWindowsNT);
        QVERIFY(!APIDLL::IsWindowsXP);
    }

    void sysinfo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<bool>("report");
        QTest::newRow("data file then switch") << QStringList{"data.csv", "/sysinfo"}
                                               << QStringList{"data.csv"} << true;
        QTest::newRow("any case") << QStringList{"/SysInfo"} << QStringList{} << true;
        QTest::newRow("twice, one report") << QStringList{"/sysinfo", "cfg=b", "/sysinfo"}
                                           << QStringList{"cfg=b"} << true;
        QTest::newRow("none") << QStringList{"data.csv"} << QStringList{"data.csv"} << false;
        QTest::newRow("inside a path") << QStringList{"/home/ann/sysinfo/run.csv"}
                                       << QStringList{"/home/ann/sysinfo/run.csv"} << false;
        QTest::newRow("empty") << QStringList{} << QStringList{} << false;
    }
    void sysinfo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, remaining);
        QFETCH(bool, report);
        ScriptedDialogProvider dialogs;
        APIDLL::WindowsVersie = BepaalWindowsVersie();
        QStringList commandLine = arguments;
        VerzamelSysteemInfo(commandLine);
        QCOMPARE(commandLine, remaining);
        QCOMPARE(dialogs.requests().size(), report ? 1 : 0);
        QVERIFY(!APIDLL::Gebruikersnaam.isEmpty());
        QCOMPARE(APIDLL::Computernaam, QSysInfo::machineHostName());
        QCOMPARE(APIDLL::ToepassingsPad, QCoreApplication::applicationDirPath());
        QCOMPARE(&APIDLL::MapDocumenten, &Hoofdmodule::MapDocumenten);
        if (!report)
            return;
        const auto &box = dialogs.requests().first();
        QCOMPARE(box.flags, MsgBox::OkOnly);
        const QStringList lines = box.text.split('\n');
        const QStringList expected{
            "Version: " + APIDLL::WindowsVersie,
            "Windows NT: False",
            "Computer name: " + APIDLL::Computernaam,
            "Network logon: " + APIDLL::NetwerkGebruiker,
            "User name: " + APIDLL::Gebruikersnaam,
            "Company: " + APIDLL::Bedrijfsnaam,
            "User Folder: " + APIDLL::GebruikersMap,
            "User Docs:" + APIDLL::MapDocumenten,
            "User Pictures:" + APIDLL::MapAfbeeldingen,
            "User Startup menu:" + APIDLL::MapOpstarten,
            "Application path:" + APIDLL::ToepassingsPad,
            "",
        };
        QCOMPARE(lines, expected);
    }

    void documentsFolder_data()
    {
        QTest::addColumn<bool>("hasDocuments");
        QTest::newRow("no documents folder: home") << false;
        QTest::newRow("documents folder") << true;
    }
    void documentsFolder()
    {
        QFETCH(bool, hasDocuments);
        QTemporaryDir home;
        if (hasDocuments)
            QVERIFY(QDir(home.path()).mkdir("Documents"));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        QStringList none;
        VerzamelSysteemInfo(none);
        qputenv("HOME", oldHome);
        if (!oldConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", oldConfig);
        QCOMPARE(APIDLL::MapDocumenten, hasDocuments ? home.filePath("Documents") : home.path());
    }

    // ---- registry and the system information tool ----

    void registryText_data()
    {
        QTest::addColumn<QString>("storedKey"); // empty: nothing stored
        QTest::addColumn<QString>("storedValue");
        QTest::addColumn<bool>("found");
        QTest::newRow("missing key") << "" << "" << false;
        QTest::newRow("empty value") << "Software\\Test" << "" << true;
        QTest::newRow("text in another case") << "SOFTWARE\\TEST" << "abc" << true;
    }
    void registryText()
    {
        QFETCH(QString, storedKey);
        QFETCH(QString, storedValue);
        QFETCH(bool, found);
        QFile::remove(Registry::filePath(APIDLL::HKEY_CURRENT_USER));
        if (!storedKey.isEmpty())
            Registry::write(APIDLL::HKEY_CURRENT_USER, storedKey, "Company", storedValue);
        QString result = "old";
        QCOMPARE(LeesRegisterTekst(APIDLL::HKEY_CURRENT_USER, "Software\\Test", "company", result),
                 found);
        QCOMPARE(result, storedValue);
        // Another root is another store.
        QVERIFY(!LeesRegisterTekst(APIDLL::HKEY_LOCAL_MACHINE, "Software\\Test", "Company", result));
        QFile::remove(Registry::filePath(APIDLL::HKEY_CURRENT_USER));
    }

    void systemInfoTool_data()
    {
        QTest::addColumn<QString>("path");     // "-": not stored
        QTest::addColumn<QString>("location"); // "-": not stored; "tool": a folder with the tool
        QTest::addColumn<bool>("message");
        QTest::newRow("nothing configured") << "-" << "-" << true;
        QTest::newRow("tool path") << "/bin/true" << "-" << false;
        QTest::newRow("tool path that does not start") << "/nonexistent/msinfo" << "-" << true;
        QTest::newRow("empty tool path") << "" << "-" << true;
        QTest::newRow("tool folder") << "-" << "tool" << false;
        QTest::newRow("tool folder without the tool") << "-" << "empty" << true;
        QTest::newRow("path wins over folder") << "/nonexistent/msinfo" << "tool" << true;
    }
    void systemInfoTool()
    {
        QFETCH(QString, path);
        QFETCH(QString, location);
        QFETCH(bool, message);
        const QString hklm = APIDLL::HKEY_LOCAL_MACHINE;
        QFile::remove(Registry::filePath(hklm));
        QTemporaryDir folder;
        if (location == "tool")
            QVERIFY(QFile::copy("/bin/true", folder.filePath("MSINFO32.EXE")));
        if (path != "-")
            Registry::write(hklm, "software\\microsoft\\shared tools\\msinfo", "path", path);
        if (location != "-")
            Registry::write(hklm, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                            folder.path());

        ScriptedDialogProvider dialogs;
        const QString text = "System information is unavailable at this time!";
        StartSysteemInfo(text);
        QFile::remove(Registry::filePath(hklm));
        QCOMPARE(dialogs.messageTexts(), message ? QStringList{text} : QStringList{});
        if (message)
            QCOMPARE(dialogs.requests().first().flags, MsgBox::OkOnly | MsgBox::Exclamation);
    }

    // ---- another running copy ----

    void previousInstance()
    {
        QWidget window;
        window.setWindowTitle("QLV-2 [test] - first.csv");
        QVERIFY(!VorigeInstantieActief(&window));
        QVERIFY(!VorigeInstantieActief(&window)); // our own lock does not count

        // Another copy holds the caption of a second data file.
        const QString second = "QLV-2 [test] - second.csv";
        QLockFile other(instanceLockPath(second));
        QVERIFY(other.tryLock(0));
        window.setWindowTitle(second);
        QVERIFY(VorigeInstantieActief(&window));

        // The new caption released the old one: a copy with the first file may start.
        QLockFile first(instanceLockPath("QLV-2 [test] - first.csv"));
        QVERIFY(first.tryLock(0));
        first.unlock();

        other.unlock();
        QVERIFY(!VorigeInstantieActief(&window));
        QVERIFY(instanceLockPath("a") != instanceLockPath("A"));
    }

    // ---- resources to files ----

    void resourceToFile_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedName"); // "" failure, "*" a new unique name
        QTest::newRow("named") << ":/test/sound.bin" << "tmp~.wav" << "tmp~.wav";
        QTest::newRow("program-folder style") << ":/test/sound.bin" << "\\tmp~.wav" << "tmp~.wav";
        QTest::newRow("folder part ignored") << ":/test/sound.bin" << "/opt/qlv2/tmp~.avi" << "tmp~.avi";
        QTest::newRow("unnamed") << ":/test/sound.bin" << "" << "*";
        QTest::newRow("missing resource") << ":/test/none.bin" << "tmp~.wav" << "";
        QTest::newRow("no file name") << ":/test/sound.bin" << "/opt/" << "";
        QTest::newRow("parent folder") << ":/test/sound.bin" << ".." << "";
    }
    void resourceToFile()
    {
        QFETCH(QString, resource);
        QFETCH(QString, name);
        QFETCH(QString, expectedName);
        const QString folder = resourceFolder();
        QVERIFY(QFileInfo(folder).isDir());
        const QString written = ResourceNaarBestand(resource, name);
        if (expectedName.isEmpty()) {
            QCOMPARE(written, QString());
            return;
        }
        QCOMPARE(QFileInfo(written).absolutePath(), QFileInfo(folder).absoluteFilePath());
        if (expectedName != "*")
            QCOMPARE(QFileInfo(written).fileName(), expectedName);
        QFile f(written);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), resourceBytes);
    }

    void resourceOverLongerFile()
    {
        const QString path = resourceFolder() + "/tmp~.long";
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1000, 'x'));
        old.close();
        QCOMPARE(ResourceNaarBestand(":/test/sound.bin", "tmp~.long"), path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), resourceBytes); // no tail of the old file
    }
};

QTEST_MAIN(TestWrappers)
#include "tst_wrappers.moc"
