// seisbench --script --screenshot --quit: the program runs the main job as if typed in its
// console, takes the pictures of a real run (build/screenshots/main-job) and ends with the
// script's status.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "qt_support.h"

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    QString out, err;
};

ProgramRun run_program(const QStringList& args, bool display = true) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (display) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SEISBENCH_EXECUTABLE),
            display ? QStringList{"--simulate", "--virtual-time"} + args : args);
    ProgramRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "seisbench did not end";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

}  // namespace

TEST(ScriptedRun, TheMainJobEndsWellAndLeavesItsPictures) {
    const QString dir = QStringLiteral(SEISBENCH_SCREENSHOT_DIR "/main-job");
    QDir(dir).removeRecursively();
    const ProgramRun r =
        run_program({"--yes", "--script", SEISBENCH_MAIN_JOB, "--screenshot", dir, "--quit"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // The figures of the real capture, as the console printed them.
    EXPECT_TRUE(r.out.contains(QRegularExpression("channel 1 S/N: +1[0-9]{2}\\.")))
        << r.out.toStdString();
    for (const char* name : {"window", "setup", "analysis"}) {
        const QImage picture(dir + "/" + name + ".png");
        EXPECT_FALSE(picture.isNull()) << name;
    }
    EXPECT_EQ(QImage(dir + "/window.png").size(), QSize(1280, 800));
}

TEST(ScriptedRun, TheFirstFailureStopsTheScriptAndGivesItsStatus) {
    QTemporaryDir tmp;
    const struct {
        const char* script;
        int status;
    } cases[] = {
        {"connect\nreg read NOSUCH\nreg write VERSION 1\n", 2},
        // Its message is written out, not shown in a dialog that would hold the run.
        {"# a file that is not there\nconnect\nload fir /nonexistent\nreg read VERSION\n", 1},
    };
    for (const auto& c : cases) {
        const QString script = tmp.filePath("job.txt");
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.script);
        f.close();
        const QString shots = tmp.filePath("shots");
        const ProgramRun r = run_program({"--script", script, "--screenshot", shots, "--quit"});
        EXPECT_EQ(r.status, c.status) << c.script << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("seisbench: ")) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("value:")) << "ran on after the failure";
        EXPECT_TRUE(QFile::exists(shots + "/window.png"));  // pictures of the failed state too
    }
    EXPECT_EQ(run_program({"--script", tmp.filePath("none.txt"), "--quit"}).status, 2);
}

TEST(ScriptedRun, AFigureBelowItsLimitEndsWithTheLimitsStatus) {
    QTemporaryDir tmp;
    const QString limits = tmp.filePath("limits.json");
    const QString script = tmp.filePath("job.txt");
    QFile l(limits), f(script);
    ASSERT_TRUE(l.open(QIODevice::WriteOnly) && f.open(QIODevice::WriteOnly));
    l.write(R"({"signal": {"S/N": {"min": 400}}})");
    f.write(
        "connect\nconfigure --rate 500 --channels 1\ncapture --samples 1024\n"
        "analyze --test signal\n");
    l.close();
    f.close();
    const ProgramRun r = run_program({"--limits", limits, "--script", script, "--quit"});
    EXPECT_EQ(r.status, 3) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("S/N")) << r.out.toStdString();
}

// What a person asks of the program before any window (its version, its usage, a typing error)
// is answered on a machine with no display at all.
TEST(ScriptedRun, VersionAndHelpNeedNoDisplay) {
    const ProgramRun version = run_program({"--version"}, false);
    EXPECT_EQ(version.status, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith("seisbench ")) << version.out.toStdString();
    const ProgramRun help = run_program({"--help"}, false);
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();
    const ProgramRun wrong = run_program({"--simulate=300"}, false);
    EXPECT_EQ(wrong.status, 2);
    const ProgramRun run = run_program({"--simulate"}, false);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("seisbench-cli")) << run.err.toStdString();
}

// A report saved as .pdf from the desktop program is laid out by it, not refused as if there
// were no display.
TEST(ScriptedRun, AReportSavedAsPdfInTheDesktopIsAPdf) {
    QTemporaryDir tmp;
    const QString script = tmp.filePath("job.txt"), pdf = tmp.filePath("report.pdf");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("connect\nconfigure --rate 500 --channels 1\ncapture --samples 1024\nreport " +
             pdf.toStdString() + "\n")
                .c_str());
    f.close();
    const ProgramRun r = run_program({"--script", script, "--quit"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << r.err.toStdString();
    EXPECT_TRUE(out.read(5) == "%PDF-");
}
