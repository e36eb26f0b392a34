// An error raised while the window is created is shown like any handler's, and the window opens.
#include "app/TMainForm.h"
#include "update/ProgramFolder.h"
#include "framework/widgets/StdControls.h"
#include "framework/TApplication.h"
#include "platform/registry.h"
#include "support/ModalScript.h"
#include "support/UpdatePath.h"
#include "support/TempDir.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

TEST(StartupError, WrongTypeOfUpdatePathIsShownAndTheWindowStillOpens)
{
    ScopedCompatRoot root;
    const DWORD number = 7;
    setUpdatePath(&number, sizeof number, REG_DWORD);

    TApplication& app = TApplication::Instance();
    app.Reset();
    app.SetTitle("Update Utility");
    ModalScript script;
    script.then("ErrorBox", clickButton("OK"));
    std::unique_ptr<TMainForm> form(app.CreateForm<TMainForm>());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, "Invalid data type for 'Update Path'") << "a quote sorts before the full stop";
    EXPECT_EQ(script.seen()[0].caption, "Update Utility");

    // The steps before the failing read were done; the window is whole and opens.
    EXPECT_EQ(form->Edit1->Text(), ProgramFolder());
    // Showing it refills the update panel, which reads the same value: shown again, window stays.
    script.then("ErrorBox", clickButton("OK"));
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    EXPECT_EQ(script.unexpected(), 0);
    EXPECT_TRUE(form->isVisible());
    form.reset();
    app.Reset();
}
