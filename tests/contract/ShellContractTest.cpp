// The shell's copy as the update runs it: "<update folder>\*.*" into the program folder. The update's own flags
// are FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS; FOF_SILENT | FOF_NOERRORUI are added here so
// that no progress or error window opens during a test run.
#include "ContractSupport.h"
#include "winapi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr FILEOP_FLAGS updateFlags =
    FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS | FOF_SILENT | FOF_NOERRORUI;

int copyAll(const std::string& from, const std::string& to)
{
    const std::string source = contract::pathJoin(from, "*.*") + std::string(1, '\0');
    const std::string target = to + std::string(1, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_COPY;
    op.pFrom = source.c_str();
    op.pTo = target.c_str();
    op.fFlags = updateFlags;
    return SHFileOperationA(&op);
}

struct Copy {
    const std::string from;
    const std::string to;
    Copy(const std::string& name)
        : from(contract::freshFolder(name + "-from")), to(contract::pathJoin(contract::freshFolder(name), "program"))
    {
    }
    std::string source(const std::string& name) const { return contract::pathJoin(from, name); }
    std::string target(const std::string& name) const { return contract::pathJoin(to, name); }
};

// Windows copies files and nested folders, making the target folder and the folders below it; the result is 0.
TEST(Shell, CopiesNestedFoldersIntoANewFolder)
{
    Copy c("nested");
    contract::writeFile(c.source("a.txt"), "a");
    contract::makeFolder(contract::pathJoin(c.source("sub"), "deeper"));
    contract::writeFile(contract::pathJoin(contract::pathJoin(c.source("sub"), "deeper"), "b.txt"), "b");
    EXPECT_EQ(copyAll(c.from, c.to), 0);
    EXPECT_EQ(contract::readFile(c.target("a.txt")), "a");
    EXPECT_EQ(contract::readFile(contract::pathJoin(contract::pathJoin(c.target("sub"), "deeper"), "b.txt")), "b");
}

// Windows replaces files that are there, keeps those the source does not have and merges folders.
TEST(Shell, OverwritesAndMerges)
{
    Copy c("overwrite");
    contract::writeFile(c.source("a.txt"), "new");
    contract::makeFolder(c.to);
    contract::writeFile(c.target("a.txt"), "old contents");
    contract::writeFile(c.target("keep.txt"), "kept");
    EXPECT_EQ(copyAll(c.from, c.to), 0);
    EXPECT_EQ(contract::readFile(c.target("a.txt")), "new");
    EXPECT_EQ(contract::readFile(c.target("keep.txt")), "kept");
}

// Windows, told not to confirm, replaces a read-only file too.
TEST(Shell, ReplacesAReadOnlyTarget)
{
    Copy c("readonly");
    contract::writeFile(c.source("a.txt"), "new");
    contract::makeFolder(c.to);
    contract::writeFile(c.target("a.txt"), "old");
    contract::setReadOnly(c.target("a.txt"), true);
    EXPECT_EQ(copyAll(c.from, c.to), 0);
    EXPECT_EQ(contract::readFile(c.target("a.txt")), "new");
    contract::setReadOnly(c.target("a.txt"), false);
}

// Windows: a source folder that is not there fails, as finding its files does, with ERROR_PATH_NOT_FOUND (3), and
// makes no target folder.
TEST(Shell, MissingSourceFails)
{
    if (contract::underWine())
        GTEST_SKIP() << "Wine copies nothing from a missing folder and reports success";
    Copy c("missing");
    EXPECT_EQ(copyAll(contract::pathJoin(c.from, "none"), c.to), 3);
    EXPECT_FALSE(contract::exists(c.to));
}

// Windows: an empty source folder ("*.*" matching nothing) is not an error.
TEST(Shell, EmptySourceCopiesNothing)
{
    Copy c("empty");
    EXPECT_EQ(copyAll(c.from, c.to), 0);
}

} // namespace
