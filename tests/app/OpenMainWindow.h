#pragma once
// The utility's window as a user first meets it: a fresh application, the window shown, exposed
// and active. Call it under ASSERT_NO_FATAL_FAILURE.
#include "app/TMainForm.h"
#include "framework/TApplication.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

inline void openMainWindow(std::unique_ptr<TMainForm>& form)
{
    TApplication::Instance().Reset();
    TApplication::Instance().SetTitle("Update Utility");
    form.reset(TApplication::Instance().CreateForm<TMainForm>());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    QTest::qWait(10);
}
