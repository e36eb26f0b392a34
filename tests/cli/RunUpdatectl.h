#pragma once
// Runs the built companion as a real process and collects what it printed.
#include "support/TempDir.h"

#include <QProcess>
#include <gtest/gtest.h>

struct UpdatectlOutcome {
    int status;
    std::string out, err;
};

inline UpdatectlOutcome runUpdatectl(const QStringList& args, const QString& program = {},
                                     const QString& workingFolder = {},
                                     const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    p.start(program.isEmpty() ? QString::fromStdString((binDir() / "tallyrune-updatectl").string()) : program, args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}
