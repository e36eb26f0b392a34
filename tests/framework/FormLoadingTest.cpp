// Loading a window from its description: properties first, then every Loaded, then OnCreate;
// errors that leave a handler are shown and the program goes on.
#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "framework/core/Exceptions.h"
#include "framework/core/StoredValues.h"
#include "framework/widgets/StdControls.h"
#include "framework/widgets/TBevel.h"

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
    const std::vector<std::string> expected = {"property First.Value=1",
                                               "property Second.Value=2",
                                               "loaded First",
                                               "loaded Second",
                                               "create",
                                               "destroy Second",
                                               "destroy First"};
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

// Values as a description writes them, read or rejected with the property's name and the value.
TEST(FormLoading, StoredValuesReadOrRejectedByName)
{
    struct Row {
        const char* property;
        const char* value;
        int read;          // the ordinal or number read
        const char* error; // nullptr: read
    };
    const Row bevel[] = {
        {"Shape", "bsBox", 0, nullptr},
        {"Shape", "bsSpacer", 6, nullptr},
        {"Shape", "bsCircle", 0, "Invalid property value for Shape: bsCircle"},
        {"Shape", "", 0, "Invalid property value for Shape: "},
        {"Style", "bsRaised", 1, nullptr},
        {"Style", "bsLowered", 0, nullptr},
        {"Style", "bsraised", 0, "Invalid property value for Style: bsraised"},
    };
    for (const Row& row : bevel) {
        TBevel shape(nullptr, nullptr);
        shape.SetShape(bsFrame);
        shape.SetStyle(bsRaised);
        try {
            shape.ReadProperty(row.property, row.value);
            EXPECT_EQ(row.error, nullptr) << row.property << "=" << row.value;
            const int read = std::string(row.property) == "Shape" ? static_cast<int>(shape.Shape())
                                                                  : static_cast<int>(shape.Style());
            EXPECT_EQ(read, row.read) << row.property << "=" << row.value;
        } catch (const EComponentError& e) {
            EXPECT_STREQ(e.what(), row.error ? row.error : "read") << row.property << "=" << row.value;
        }
    }

    // A number within bounds, both bounds included.
    const Row ranged[] = {
        {"MaxEntries", "0", 0, nullptr},
        {"MaxEntries", "255", 255, nullptr},
        {"MaxEntries", "256", 0, "Invalid property value for MaxEntries: 256"},
        {"MaxEntries", "-1", 0, "Invalid property value for MaxEntries: -1"},
        {"MaxEntries", "12x", 0, "Invalid property value for MaxEntries: 12x"},
    };
    for (const Row& row : ranged) {
        try {
            EXPECT_EQ(StoredIntWithin(row.property, row.value, 0, 255), row.read) << row.value;
            EXPECT_EQ(row.error, nullptr) << row.value;
        } catch (const EComponentError& e) {
            EXPECT_STREQ(e.what(), row.error ? row.error : "read") << row.value;
        }
    }
}

// Answers every error box through the real dialog, as a user would, and notes what it showed.
class ErrorBoxAnswers {
public:
    ErrorBoxAnswers()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles.push_back(box->windowTitle().toStdString());
                texts.push_back(box->text().toStdString());
                EXPECT_EQ(box->icon(), QMessageBox::Critical);
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer_.start(20);
    }
    std::vector<std::string> titles, texts;

private:
    QTimer timer_;
};

TEST(MessageLoop, AnErrorLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    TApplication::Instance().Reset();
    TApplication::Instance().SetTitle("Update Utility");
    QPushButton button("Throw");
    int clicks = 0;
    // Run as the controls run their click handlers, so that nothing unwinds through the toolkit.
    QObject::connect(&button, &QPushButton::clicked, [&] {
        TApplication::Instance().RunHandler([&] {
            if (++clicks == 3)
                throw 3; // not an error object at all
            throw ERegistryException("Failed to create key Update");
        });
    });
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));

    std::vector<std::string> titles, texts;
    {
        ErrorBoxAnswers answers;
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(&button, Qt::LeftButton);
        titles = answers.titles;
        texts = answers.texts;
    }

    EXPECT_EQ(clicks, 3);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(titles, std::vector<std::string>(3, "Update Utility"));
    EXPECT_EQ(texts[0].rfind("Failed to create key Update", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(texts[2].rfind("Unknown error", 0), 0u) << texts[2];
    EXPECT_TRUE(button.isVisible());
    TApplication::Instance().Reset();
}

// An event handler of the toolkit's kind that lets an error out.
class FailingReceiver : public QObject {
public:
    int calls = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++calls;
        throw ERegistryException("Failed to set data for 'Update Path'");
    }
};

TEST(MessageLoop, AnErrorLeavingAnEventHandlerIsCaughtAtDeliveryAndShown)
{
    TApplication::Instance().Reset();
    TApplication::Instance().SetTitle("Update Utility");
    FailingReceiver receiver;
    std::vector<std::string> texts;
    bool delivered = true;
    {
        ErrorBoxAnswers answers;
        QEvent event(QEvent::User);
        delivered = QCoreApplication::sendEvent(&receiver, &event);
        texts = answers.texts;
    }
    EXPECT_EQ(receiver.calls, 1);
    EXPECT_FALSE(delivered);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("Failed to set data for 'Update Path'", 0), 0u) << texts[0];
    TApplication::Instance().Reset();
}
