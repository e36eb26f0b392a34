// Loading a window from its description: properties first, then every Loaded, then OnCreate;
// errors that leave a handler are shown and the program goes on.
#include "framework/Exceptions.h"
#include "framework/StdControls.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "support/QtUnwindLeaks.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
std::vector<std::string> events;

class Recorder : public TComponent {
public:
    using TComponent::TComponent;
    ~Recorder() override { events.push_back("destroy " + Name()); }
    void ReadProperty(const std::string& name, const std::string& value) override
    {
        if (name == "Name")
            return TComponent::ReadProperty(name, value);
        events.push_back("property " + Name() + "." + name + "=" + value);
    }
    void Loaded() override
    {
        TComponent::Loaded();
        events.push_back("loaded " + Name());
    }
};

FormDescription recorderForm()
{
    static const StoredFont font{"MS Sans Serif", -11, "[]", "clWindowText", "DEFAULT_CHARSET"};
    return FormDescription{"Form",
                           "TForm",
                           {{"Caption", "Loading"}, {"ClientWidth", "200"}, {"ClientHeight", "100"}},
                           &font,
                           {{"Label", "TLabel", "", 5, 6, 70, 13, "Hello", nullptr, {}}},
                           {{"First", "TRecorder", {{"Value", "1"}}}, {"Second", "TRecorder", {{"Value", "2"}}}}};
}
} // namespace

TEST(FormLoading, EveryComponentGetsItsPropertiesBeforeAnyIsToldItIsLoaded)
{
    RegisterStandardControls();
    RegisterComponentClass("TRecorder", [](TComponent* o) { return new Recorder(o); });
    events.clear();
    {
        TForm form(nullptr);
        form.OnCreate = [] { events.push_back("create"); };
        form.LoadFrom(recorderForm());
        EXPECT_EQ(form.windowTitle(), "Loading");
        EXPECT_EQ(form.size(), QSize(200, 100));
        auto* label = dynamic_cast<TLabel*>(form.FindComponent("Label"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "Hello");
        EXPECT_EQ(label->pos(), QPoint(5, 6));
        // Sized to its caption once loaded, in the window's font.
        EXPECT_EQ(label->width(), QFontMetrics(form.font()).horizontalAdvance("Hello"));
    }
    const std::vector<std::string> expected = {"property First.Value=1", "property Second.Value=2", "loaded First",
                                               "loaded Second", "create", "destroy Second", "destroy First"};
    EXPECT_EQ(events, expected);
}

TEST(FormLoading, UnknownClassOrPropertyIsReportedByName)
{
    RegisterStandardControls();
    TForm form(nullptr);
    FormDescription d = recorderForm();
    d.Components = {{"X", "TNoSuchClass", {}}};
    EXPECT_THROW(form.LoadFrom(d), EComponentError);

    TForm other(nullptr);
    FormDescription bad = recorderForm();
    bad.Components.clear();
    bad.Controls[0].Further = {{"Bogus", "1"}};
    try {
        other.LoadFrom(bad);
        FAIL() << "no error";
    } catch (const EComponentError& e) {
        EXPECT_NE(std::string(e.what()).find("Label.Bogus"), std::string::npos) << e.what();
    }
}

TEST(MessageLoop, AnErrorLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    TApplication::Instance().Reset();
    TApplication::Instance().SetTitle("Update Utility");
    QPushButton button("Throw");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw ERegistryException("Failed to create key Update");
    });
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));

    QString seenTitle, seenText;
    int boxes = 0;
    // Answer the error box through the real dialog, as a user would.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            seenTitle = box->windowTitle();
            seenText = box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(20);
    {
        const QtUnwindLeaksIgnored qtFrames;
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
    }
    answer.stop();

    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(seenTitle, "Update Utility");
    EXPECT_TRUE(seenText.startsWith("Failed to create key Update")) << seenText.toStdString();
    EXPECT_TRUE(button.isVisible());
    TApplication::Instance().Reset();
}
