// An error raised while the window is created is shown like any handler's, and the window opens.
#include "app/TMainForm.h"
#include "framework/StdControls.h"
#include "framework/TApplication.h"
#include "platform/registry.h"
#include "support/ModalScript.h"
#include "support/TempDir.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

TEST(StartupError, WrongTypeOfUpdatePathIsShownAndTheWindowStillOpens)
{
    ScopedCompatRoot root;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Harrowmere\\Tallyrune\\Application", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 7;
    ASSERT_EQ(RegSetValueExA(key, "Update Path", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    RegCloseKey(key);

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
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(form->isVisible());
    form.reset();
    app.Reset();
}
