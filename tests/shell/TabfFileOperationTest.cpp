// The copy job's request, seen through a shell call of the test's own.
#include "platform/shell.h"
#include "framework/core/Exceptions.h"
#include "platform/system.h"
#include "shell/TabfFileOperation.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct SeenRequest {
    int calls = 0;
    HWND hwnd = nullptr;
    UINT func = 0;
    std::vector<std::string> from, to;
    std::string rawTo;
    FILEOP_FLAGS flags = 0;
    bool titleNull = true;
    std::string title;
};
SeenRequest seen;
int nextResult = 0;

std::vector<std::string> splitDoubleNul(LPCSTR list)
{
    std::vector<std::string> out;
    for (const char* p = list; *p != '\0'; p += std::strlen(p) + 1)
        out.emplace_back(p);
    return out;
}
} // namespace

// Linked instead of the platform's: the request is recorded, nothing is copied.
int SHFileOperationA(SHFILEOPSTRUCTA* op)
{
    ++seen.calls;
    seen.hwnd = op->hwnd;
    seen.func = op->wFunc;
    seen.from = splitDoubleNul(op->pFrom);
    seen.to = splitDoubleNul(op->pTo);
    seen.rawTo.assign(op->pTo, std::strlen(op->pTo) + 2);
    seen.flags = op->fFlags;
    seen.titleNull = op->lpszProgressTitle == nullptr;
    seen.title = op->lpszProgressTitle != nullptr ? op->lpszProgressTitle : "";
    return nextResult;
}

class CopyJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        seen = SeenRequest{};
        nextResult = 0;
        job.SetOnError([this](TabfFileOperation* sender, const std::string& s, bool& handled) {
            EXPECT_EQ(sender, &job);
            EXPECT_FALSE(handled);
            errors.push_back(s);
        });
    }
    TabfFileOperation job{nullptr};
    std::vector<std::string> errors;
};

TEST_F(CopyJob, UtilityRequestInPlainMode)
{
    job.SetOptions({fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress});
    job.SetDestFolder("/pos/");
    job.SetProgressTitle("Updating Tallyrune ...");
    job.FileList().Add("/pos/Update/*.*");

    EXPECT_TRUE(job.Copy());
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.func, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(seen.flags, 0x0310);
    EXPECT_EQ(seen.from, std::vector<std::string>{"/pos/Update/*.*"});
    EXPECT_EQ(seen.rawTo, std::string("/pos/\0\0", 7));
    EXPECT_EQ(seen.title, "Updating Tallyrune ...");
    EXPECT_EQ(seen.hwnd, nullptr); // no window owns this job
}

TEST_F(CopyJob, DefaultsAndFlagMappingGoByName)
{
    EXPECT_EQ(job.Operation(), fotCopy);
    EXPECT_EQ(job.Options().Byte(), 35);
    job.FileList().Add("a");
    job.Execute();
    EXPECT_EQ(seen.flags, FOF_ALLOWUNDO | FOF_FILESONLY | FOF_RENAMEONCOLLISION);

    job.SetOptions({fofRenameCollision, fofSilent}); // the sixth and seventh members swap bits
    job.Execute();
    EXPECT_EQ(seen.flags, FOF_RENAMEONCOLLISION | FOF_SILENT);
    EXPECT_TRUE(seen.titleNull == false); // an empty title is passed as text, never null
    EXPECT_EQ(seen.title, "");
}

TEST_F(CopyJob, CopyIgnoresOperationWhileExecuteFollowsIt)
{
    job.FileList().Add("x");
    const std::pair<TabfFileOperationType, UINT> cases[] = {
        {fotDelete, FO_DELETE}, {fotMove, FO_MOVE}, {fotRename, FO_RENAME}, {fotCopy, FO_COPY}};
    for (auto [op, code] : cases) {
        job.SetOperation(op);
        job.Copy();
        EXPECT_EQ(seen.func, static_cast<UINT>(FO_COPY));
        job.Execute();
        EXPECT_EQ(seen.func, code);
    }
}

TEST_F(CopyJob, EmptyListCallsNothingAndSucceeds)
{
    EXPECT_TRUE(job.Copy());
    EXPECT_EQ(seen.calls, 0);
}

TEST_F(CopyJob, EmptyEntriesAndLineBreaksInPlainMode)
{
    job.FileList().Add("");
    job.FileList().Add("b");
    job.FileList().Add("");
    job.FileList().Add("c");
    job.FileList().Add("d\r\ne");
    job.Copy();
    EXPECT_EQ(seen.from, (std::vector<std::string>{"b", "c", "d", "e"}));
    job.SetDestFolder("");
    job.Copy();
    EXPECT_EQ(seen.rawTo, std::string("\0\0", 2));
}

TEST_F(CopyJob, OneEqualsSignSwitchesTheWholeListToPairs)
{
    job.SetDestFolder("/P/");
    job.FileList().Add("a.txt=sub/*.bak");
    job.FileList().Add("/src/b.dat");
    job.FileList().Add("c.txt=/abs/d.txt");
    job.FileList().Add("e.txt=  ");
    job.FileList().Add("f.txt=sub//deep///g");
    job.Copy();
    EXPECT_EQ(seen.flags & FOF_MULTIDESTFILES, FOF_MULTIDESTFILES);
    EXPECT_EQ(seen.from, (std::vector<std::string>{"a.txt", "/src/b.dat", "c.txt", "e.txt", "f.txt"}));
    EXPECT_EQ(seen.to, (std::vector<std::string>{"/P/sub/a.bak", "/P/b.dat", "/abs/d.txt", "/P/  .txt",
                                                 "/P/sub/deep//g.txt"}));
}

TEST_F(CopyJob, UpdateFolderWithEqualsSignBecomesAPair)
{
    job.SetDestFolder("/pos/");
    job.FileList().Add("/mnt/a=b/*.*");
    job.Copy();
    EXPECT_EQ(seen.from, std::vector<std::string>{"/mnt/a"});
    EXPECT_EQ(seen.to, std::vector<std::string>{"/pos/b/a"});
}

TEST(PairDestination, RulesAAndBOnWindowsPaths)
{
    EXPECT_EQ(AbsoluteDestination("D:\\x\\y", "C:\\P\\"), "D:\\x\\y");
    EXPECT_EQ(AbsoluteDestination("\\\\srv\\share\\f", "C:\\P\\"), "\\\\srv\\share\\f");
    EXPECT_EQ(CompleteDestination("a.txt", "C:\\P\\sub\\*.bak"), "C:\\P\\sub\\a.bak");
    EXPECT_EQ(CompleteDestination("dir\\a.txt", "x"), "dir\\x.txt");
    EXPECT_EQ(CompleteDestination("a.txt", "C:\\P\\new.*"), "C:\\P\\new.txt");
    EXPECT_EQ(CompleteDestination("a.txt", " \t"), "a.txt");
}

TEST_F(CopyJob, EntryWithoutSourceRefusesTheRun)
{
    job.FileList().Add("a=b");
    job.FileList().Add("=c");
    EXPECT_FALSE(job.Copy());
    EXPECT_EQ(seen.calls, 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "The parameter is incorrect.\r\n");
}

TEST_F(CopyJob, ResultCodes)
{
    job.FileList().Add("x");
    nextResult = 0;
    EXPECT_TRUE(job.Copy());
    nextResult = ERROR_NO_MORE_FILES;
    EXPECT_FALSE(job.Copy());
    EXPECT_TRUE(errors.empty());
    nextResult = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(job.Copy());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Access is denied.\r\n");
    nextResult = 99999; // no text for it: the event still fires, with an empty text
    EXPECT_FALSE(job.Copy());
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "");
}

TEST_F(CopyJob, ReadsItsStoredProperties)
{
    job.ReadProperty("Options", "[fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress]");
    job.ReadProperty("ProgressTitle", "Tallyrune Updating...");
    job.ReadProperty("Operation", "fotMove");
    EXPECT_EQ(job.Options(), (TabfFileOperationFlags{fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress}));
    EXPECT_EQ(job.ProgressTitle(), "Tallyrune Updating...");
    EXPECT_EQ(job.Operation(), fotMove);
    EXPECT_THROW(job.ReadProperty("Options", "[fofBogus]"), Exception);
}
