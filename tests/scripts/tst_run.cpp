#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The start command builds what it starts and nothing more: the tests and benchmarks are the
// test command's business. Run against a stand-in cmake that notes its arguments, and a build
// folder whose program and simulator are stand-ins too.
class TestRunScript : public QObject {
    Q_OBJECT

    static void writeScript(const QString &path, const QByteArray &body)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body);
        f.close();
        QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    }

private slots:
    void buildsOnlyProgramAndSimulator()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString bin = dir.filePath("bin");
        const QString build = dir.filePath("build");
        const QString calls = dir.filePath("cmake-calls");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(build + "/tools/instrument-sim"));
        writeScript(bin + "/cmake", "echo \"$*\" >> '" + calls.toLocal8Bit() + "'\n");
        writeScript(build + "/qlv2", "echo started\n");
        writeScript(build + "/tools/instrument-sim/instrument-sim", "echo /nonexistent/Qlv2.CFG\n");

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", bin + ':' + env.value("PATH"));
        env.insert("QLV2_BUILD_DIR", build);
        env.insert("QLV2_SIMULATOR", "0");
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(QLV2_FIXTURES "/../../scripts/run"), {});
        QVERIFY(run.waitForFinished(120000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput().trimmed(), QByteArray("started"));

        QFile f(calls);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
        QList<QByteArray> builds;
        for (const QByteArray &line : lines)
            if (line.startsWith("--build"))
                builds << line;
        QCOMPARE(builds.size(), 1);
        QCOMPARE(builds[0], "--build " + build.toLocal8Bit() + " --target qlv2 instrument-sim");
    }
};

QTEST_GUILESS_MAIN(TestRunScript)
#include "tst_run.moc"
