#include "InstalledCopy.h"

#include "support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
constexpr char insideVariable[] = "TALLYRUNE_INSTALLED_COPY";
}

bool InInstalledCopy()
{
    if (qEnvironmentVariableIsSet(insideVariable))
        return true;

    TempDir program, elsewhere;
    ScopedCompatRoot root;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path copy = program / self.filename().string();
    std::error_code ec;
    fs::create_hard_link(self, copy, ec);
    if (ec)
        fs::copy_file(self, copy, ec);
    if (ec) {
        ADD_FAILURE() << "cannot place the test program in " << program.str() << ": " << ec.message();
        return false;
    }

    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(insideVariable, "1");
    env.insert("TALLYRUNE_BIN_DIR", QString::fromStdString(binDir().string()));
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(QString::fromStdString(elsewhere.str()));
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QString::fromStdString(copy.string()),
              {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    const bool finished = run.waitForFinished(120000);
    if (!finished)
        run.kill();
    const std::string output = run.readAll().toStdString();
    EXPECT_TRUE(finished) << output;
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(run.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    return false;
}
