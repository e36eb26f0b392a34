// What a failing copy leaves behind: never a torn file, and after an error that stops the job,
// the destination exactly as it was.
#include "CopyFixture.h"
#include "support/Prerequisite.h"

#include <QProcess>
#include <QStringList>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QString updatectl() { return QString::fromStdString((binDir() / "tallyrune-updatectl").string()); }

// The files of the old program, and the new ones in the update.
void makeUpdate(const fs::path& src, const fs::path& dst, std::size_t bigSize)
{
    writeFile(src / "Tallyrune.exe", patterned(bigSize, 'N'));
    writeFile(src / "a.dll", "new a");
    writeFile(src / "z.dll", "new z");
    writeFile(dst / "Tallyrune.exe", patterned(bigSize / 3, 'O'));
    writeFile(dst / "a.dll", "old a");
    writeFile(dst / "z.dll", "old z");
}

void expectUntouched(const fs::path& dst, std::size_t bigSize)
{
    EXPECT_EQ(readFile(dst / "Tallyrune.exe"), patterned(bigSize / 3, 'O'));
    EXPECT_EQ(readFile(dst / "a.dll"), "old a");
    EXPECT_EQ(readFile(dst / "z.dll"), "old z");
    EXPECT_TRUE(stagingLeftovers(dst).empty());
}

TEST(CopyFaults, FifoInTheSourceIsReportedNeverOpened)
{
    TempDir t;
    makeUpdate(t / "u", t / "p", 4096);
    ASSERT_EQ(::mkfifo((t / "u" / "m.pipe").c_str(), 0644), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_CANT_ACCESS_FILE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    expectUntouched(t / "p", 4096); // stopped at the first error: nothing replaced
    EXPECT_FALSE(fs::exists(t / "p" / "m.pipe"));
}

TEST(CopyFaults, UnreadableFileStopsTheCopyWithAccessDenied)
{
    TempDir t;
    makeUpdate(t / "u", t / "p", 4096);
    writeFile(t / "u" / "m.dat", "secret");
    ::chmod((t / "u" / "m.dat").c_str(), 0);
    if (!isRoot()) {
        EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ACCESS_DENIED);
        expectUntouched(t / "p", 4096);
        return;
    }
    // Root reads anything: run the copy as nobody, which cannot.
    ::chmod(t.path().c_str(), 0755);
    for (auto& e : fs::recursive_directory_iterator(t / "p"))
        ::chown(e.path().c_str(), 65534, 65534);
    ::chown((t / "p").c_str(), 65534, 65534);
    QProcess p;
    p.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", updatectl(), "copy", "--quiet",
                        QString::fromStdString((t / "u" / "*.*").string()), QString::fromStdString((t / "p").string())});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("m.dat") && err.contains("Access is denied.")) << err.toStdString();
    expectUntouched(t / "p", 4096);
}

TEST(CopyFaults, ReadOnlyDestinationLeavesItAsItWas)
{
    REQUIRE_PREREQUISITE(isRoot(), "needs root to mount a read-only file system (a read-only folder does not stop root)");
    TempDir t;
    ScopedTmpfs ro(t / "p", "size=4m");
    ASSERT_TRUE(ro.mounted()) << "cannot mount tmpfs";
    makeUpdate(t / "u", t / "p", 4096);
    ASSERT_TRUE(ro.remountReadOnly());
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_ACCESS_DENIED);
    expectUntouched(t / "p", 4096);
}

TEST(CopyFaults, FullDiskLeavesTheOldFilesWhole)
{
    REQUIRE_PREREQUISITE(isRoot(), "needs root to mount a 1 MiB tmpfs as the full disk");
    TempDir t;
    ScopedTmpfs small(t / "p", "size=1m");
    ASSERT_TRUE(small.mounted()) << "cannot mount tmpfs";
    constexpr std::size_t big = 1536u << 10; // the new program does not fit beside the old one (a third of it)
    makeUpdate(t / "u", t / "p", big);
    EXPECT_EQ(copyAll(t / "u", t / "p"), ERROR_DISK_FULL);
    expectUntouched(t / "p", big);
}

// A till's update killed at any moment: every program file is whole, old or new; the next run
// cleans up and finishes the job.
TEST(CopyFaults, CopyKilledHalfwayNeverTearsAFile)
{
    TempDir t;
    fs::path src = t / "u", dst = t / "p";
    constexpr std::size_t big = 64u << 20;
    const std::string bigNew = patterned(big, 'N'), bigOld = patterned(big / 3, 'O');
    for (int i = 0; i < 3; ++i) {
        writeFile(src / ("part" + std::to_string(i) + ".bin"), bigNew);
        writeFile(dst / ("part" + std::to_string(i) + ".bin"), bigOld);
    }
    writeFile(src / "zz" / "small.cfg", "new");
    writeFile(dst / "zz" / "small.cfg", "old");
    const QStringList args = {"copy", "--quiet", QString::fromStdString((src / "*.*").string()),
                              QString::fromStdString(dst.string())};

    bool sawStaging = false;
    for (int delayMs : {-1, 40, 150, 400}) {
        QProcess p;
        p.start(updatectl(), args);
        ASSERT_TRUE(p.waitForStarted());
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        if (delayMs < 0) {
            // The first kill lands while a temporary copy is being written.
            while (std::chrono::steady_clock::now() < deadline && p.state() == QProcess::Running) {
                auto left = stagingLeftovers(dst);
                if (!left.empty() && fs::file_size(left.front()) > 0)
                    break;
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        }
        p.kill();
        ASSERT_TRUE(p.waitForFinished(30000));
        sawStaging = sawStaging || !stagingLeftovers(dst).empty();
        for (int i = 0; i < 3; ++i) {
            std::string bytes = readFile(dst / ("part" + std::to_string(i) + ".bin"));
            EXPECT_TRUE(bytes == bigOld || bytes == bigNew) << "torn file after a kill at " << delayMs << " ms";
        }
        std::string cfg = readFile(dst / "zz" / "small.cfg");
        EXPECT_TRUE(cfg == "old" || cfg == "new");
    }
    EXPECT_TRUE(sawStaging) << "no kill landed in the middle of a copy";

    QProcess again;
    again.start(updatectl(), args);
    ASSERT_TRUE(again.waitForFinished(240000));
    EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardError().toStdString();
    EXPECT_TRUE(stagingLeftovers(dst).empty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readFile(dst / ("part" + std::to_string(i) + ".bin")), bigNew);
    EXPECT_EQ(readFile(dst / "zz" / "small.cfg"), "new");
}

TEST(CopyFaults, OnlyTemporariesOfDeadRunsAreRemoved)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    // pid 1 is alive (a concurrent job's file); a pid beyond pid_max cannot be.
    const std::string live = ".wincompat-copy-1-7.part", dead = ".wincompat-copy-99999999-3.part";
    writeFile(t / "p" / live, "in use");
    writeFile(t / "p" / dead, "left by a killed run");
    writeFile(t / "p" / ".wincompat-copy-notes.part", "not ours: wrong pattern");
    ASSERT_EQ(copyAll(t / "u", t / "p"), 0);
    EXPECT_TRUE(fs::exists(t / "p" / live));
    EXPECT_FALSE(fs::exists(t / "p" / dead));
    EXPECT_TRUE(fs::exists(t / "p" / ".wincompat-copy-notes.part"));
}

TEST(CopyFaults, CommandLineExitStatusAndMessages)
{
    TempDir t;
    writeFile(t / "u" / "a", "a");
    QString out;
    auto run = [&](const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(updatectl(), QStringList{"copy"} + args);
        p.waitForFinished(60000);
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    };
    const QString u = QString::fromStdString((t / "u").string()), p = QString::fromStdString((t / "p").string());
    EXPECT_EQ(run({u + "/*.*"}), 2) << "no destination";
    EXPECT_EQ(run({"--frobnicate", u, p}), 2);
    QString err;
    EXPECT_EQ(run({u + "/a=b", p}, &err), 2) << "a '=' without --pairs would silently become a pair";
    EXPECT_TRUE(err.contains("--pairs"));
    EXPECT_EQ(run({"--pairs", "=x", p}), 2);

    EXPECT_EQ(run({"--quiet", "--title", "T", u + "/*.*", p}), 0);
    EXPECT_EQ(readFile(t / "p" / "a"), "a");
    EXPECT_TRUE(out.isEmpty());
    writeFile(t / "u" / "b", "b");
    writeFile(t / "u" / "c", "c");
    EXPECT_EQ(run({u + "/*.*", p}), 0);
    EXPECT_EQ(out, "2 files copied, 1 unchanged.\n");
    writeFile(t / "u" / "c", "C");
    EXPECT_EQ(run({u + "/*.*", p}), 0);
    EXPECT_EQ(out, "1 file copied, 2 unchanged.\n");
    EXPECT_EQ(run({"--pairs", "--quiet", u + "/a=sub/b.txt", p}), 0);
    EXPECT_EQ(readFile(t / "p" / "sub" / "b.txt"), "a");

    EXPECT_EQ(run({u + "/missing", p}, &err), 1);
    EXPECT_TRUE(err.contains("The system cannot find the file specified.")) << err.toStdString();
}

} // namespace
