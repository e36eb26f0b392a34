#include "about/TLMDAboutDlg.h"

#include "about/AboutLayout.h"
#include "about/AboutStrings.h"
#include "about/parts/LinkLabel.h"
#include "about/parts/ShadowedIcon.h"
#include "about/parts/SystemInfoText.h"
#include "about/TLMDApplication.h"
#include "about/parts/VersionInfoLookup.h"
#include "controls/LMDTypes.h"
#include "controls/buttons/TLMDButton.h"
#include "controls/labels/TLMDSimpleLabel.h"
#include "framework/widgets/StdControls.h"
#include "framework/TApplication.h"
#include "framework/widgets/TBevel.h"
#include "framework/TForm.h"
#include "platform/shell.h"
#include "platform/window.h"

#include <QApplication>
#include <algorithm>
#include <memory>

namespace {
constexpr int pixelsPerInch = 96; // the window is laid out for 96 dpi whatever the screen
constexpr int modalOk = 1;
constexpr int iconSize = 32;
constexpr std::array<const char*, 3> iconStyleNames{"isNone", "isStandard", "isExtended"};
constexpr std::array<const char*, 2> styleNames{"bsStandard", "bsLMD"};
constexpr std::array<const char*, 4> versionStyleNames{"vsProg", "vsFileShort", "vsFileFull", "vsFileBuild"};

bool blank(const std::string& s)
{
    return s.find_first_not_of(' ') == std::string::npos;
}

// The platform box takes each text in a buffer of 256 bytes; cut at a character boundary.
std::string shellText(const std::string& s)
{
    if (s.size() <= 255)
        return s;
    std::size_t cut = 255;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    return s.substr(0, cut);
}

TLMDSimpleLabel* newLabel(TForm* window, const char* name)
{
    auto* label = new TLMDSimpleLabel(window, window);
    label->SetName(name);
    label->setObjectName(QString::fromLatin1(name));
    label->SetMultiLine(true);
    label->SetShowAccelChar(false);
    return label;
}

TLMDButton* newButton(TForm* window, const char* name)
{
    auto* button = new TLMDButton(window, window);
    button->SetName(name);
    button->setObjectName(QString::fromLatin1(name));
    button->resize(75, 25);
    return button;
}
} // namespace

TLMDAboutDlg::TLMDAboutDlg(TComponent* owner) : TLMDBaseDialog(owner) {}

void TLMDAboutDlg::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "Appname")
        appname_ = value;
    else if (name == "AppNameSize")
        appNameSize_ = StoredInt(name, value);
    else if (name == "Copyright")
        copyright_ = value;
    else if (name == "Description")
        description_ = value;
    else if (name == "EMail")
        email_ = value;
    else if (name == "Jump")
        jump_ = value;
    else if (name == "Version")
        version_ = value;
    else if (name == "IconStyle")
        iconStyle_ = static_cast<TLMDAboutIconStyle>(StoredEnum(name, value, iconStyleNames));
    else if (name == "Style")
        style_ = static_cast<TLMDAboutStyle>(StoredEnum(name, value, styleNames));
    else if (name == "UseResInfo")
        useResInfo_ = StoredBool(name, value);
    else if (name == "UseResVersionInfoStyle")
        versionStyle_ = static_cast<TLMDAboutVersionStyle>(StoredEnum(name, value, versionStyleNames));
    else if (name == "UseDefault")
        useDefault_ = StoredBool(name, value);
    else if (name == "About")
        about_ = value;
    else
        TLMDBaseDialog::ReadProperty(name, value);
}

std::string TLMDAboutDlg::GetOwnVersionInfo(int index) const
{
    return VersionInfoLookup(TApplication::Instance().ExeName(), index);
}

std::string TLMDAboutDlg::titleText() const
{
    if (!blank(appname_))
        return appname_;
    return useResInfo_ ? GetOwnVersionInfo(1) : TApplication::Instance().Title();
}

std::string TLMDAboutDlg::copyrightText() const
{
    std::string text = copyright_;
    if (text.empty() && useResInfo_) {
        // The resource's line below an empty one; a resource without a copyright leaves the
        // text empty, so that the default below can still apply.
        const std::string resource = GetOwnVersionInfo(3);
        if (!resource.empty())
            text = "\r" + resource;
    }
    if (text.empty() && useDefault_)
        text = "\rCopyright \xC2\xA9 by " + LMDApplication().CompanyName();
    return text;
}

std::string TLMDAboutDlg::versionText() const
{
    if (!version_.empty())
        return version_;
    if (useResInfo_) {
        static const int lookup[] = {2, 7, 8, 9}; // by TLMDAboutVersionStyle
        return "Version " + GetOwnVersionInfo(lookup[versionStyle_]);
    }
    if (useDefault_)
        return "Version " + LMDApplication().Version();
    return {};
}

bool TLMDAboutDlg::showStandardBox(QWidget* control, const std::string& title, const std::string& copyright)
{
    const std::string app = CaptionTitle().empty() ? title : title + "#" + CaptionTitle();
    const wincompat::IconHandle icon(icon_.isNull() ? QApplication::windowIcon() : icon_);
    const HWND owner = control != nullptr ? wincompat::handleOf(control->window()) : nullptr;
    return ShellAboutA(owner, shellText(app).c_str(), shellText(copyright).c_str(), icon.get()) != FALSE;
}

bool TLMDAboutDlg::ShowAbout(QWidget* control)
{
    const std::string title = titleText();
    const std::string copyright = copyrightText();
    if (style_ == bsStandard)
        return showStandardBox(control, title, copyright);

    // Owned by the application for the time it shows; nothing of it outlives this call.
    auto window = std::make_unique<TForm>(nullptr);
    window->SetName("LMDAboutForm");
    window->setObjectName(QStringLiteral("LMDAboutForm"));
    window->ReadProperty("Color", "clBtnFace");
    window->ReadProperty("Font.Name", "MS Sans Serif");
    window->ReadProperty("Font.Height", "-11");
    window->ReadProperty("Font.Color", "clWindowText");

    auto* image = new TImage(window.get(), window.get());
    image->SetName("Image");
    image->setObjectName(QStringLiteral("Image"));
    image->setGeometry(15, 7, 105, 105);

    TLMDButton* ok = newButton(window.get(), "OKButton");
    ok->SetCaptionText("OK");
    ok->SetDefault(true);
    ok->SetCancel(true);
    QObject::connect(ok, &QPushButton::clicked, window.get(), [w = window.get()] { w->SetModalResult(modalOk); });
    TLMDButton* custom = newButton(window.get(), "CustomButton");
    custom->setVisible(false);
    QWidget::setTabOrder(ok, custom);

    auto* separator = new TBevel(window.get(), window.get());
    separator->SetName("Bevel");
    separator->setObjectName(QStringLiteral("Bevel"));
    separator->SetShape(bsTopLine);

    TLMDSimpleLabel* titleLabel = newLabel(window.get(), "lblAppName");
    titleLabel->ReadProperty("Font.Name", "Arial");
    titleLabel->ReadProperty("Font.Style", "[fsBold]");
    titleLabel->Font3D().SetStyle(tdSunken);
    TLMDSimpleLabel* versionLabel = newLabel(window.get(), "lblVersion");
    versionLabel->ReadProperty("Font.Style", "[fsBold]");
    TLMDSimpleLabel* descriptionLabel = newLabel(window.get(), "lblDescription");
    TLMDSimpleLabel* copyrightLabel = newLabel(window.get(), "lblCopyright");
    TLMDSimpleLabel* info1 = newLabel(window.get(), "lblinfo1");
    TLMDSimpleLabel* info2 = newLabel(window.get(), "lblinfo2");
    TLMDSimpleLabel* jumpLabel = newLabel(window.get(), "lblJump");
    TLMDSimpleLabel* emailLabel = newLabel(window.get(), "lblEMail");
    MakeLink(jumpLabel);
    MakeLink(emailLabel);

    // Points to pixels at 96 dpi, rounded as the platform does.
    const int titlePixels = (appNameSize_ * pixelsPerInch + 36) / 72;
    titleLabel->ReadProperty("Font.Height", std::to_string(-titlePixels));
    const QIcon icon = icon_.isNull() ? QApplication::windowIcon() : icon_;
    const QImage iconImage = icon.pixmap(iconSize, iconSize).toImage();

    // The window's own frame is drawn by the window manager outside these pixels, so the
    // window's width is its client width.
    AboutLayout layout;
    layout.ClientWidth = 440 * pixelsPerInch / 96;
    switch (iconStyle_) {
    case isNone:
        layout.ClientWidth = 340;
        layout.X = 10;
        layout.Y = 10;
        image->setVisible(false);
        layout.W = layout.ClientWidth - 20;
        titleLabel->setGeometry(10, 12, layout.W, 0);
        layout.PlaceLabel(titleLabel, title, 10);
        layout.Y = std::max(layout.Y, 60);
        break;
    case isStandard:
        image->move(13, image->y());
        image->SetPicture(iconImage); // an icon keeps its own size
        layout.ClientWidth -= 30;
        layout.Y = 12;
        layout.X = 60;
        layout.W = layout.ClientWidth - 70;
        titleLabel->setGeometry(60, 12, layout.W, 0);
        layout.PlaceLabel(titleLabel, title, 10);
        layout.Y = std::max(layout.Y, 66);
        break;
    case isExtended:
        // A bitmap stretches over the whole image.
        image->SetPicture(ShadowedIcon(iconImage).scaled(image->size()));
        layout.X = image->x() + image->width() + 8;
        layout.Y = 24;
        layout.W = layout.ClientWidth - layout.X - 6;
        titleLabel->setGeometry(layout.X, 24, layout.W, 0);
        layout.PlaceLabel(titleLabel, title, 10);
        layout.Y = std::max(layout.Y, image->y() + image->height());
        break;
    }
    for (TLMDSimpleLabel* label : {versionLabel, descriptionLabel, copyrightLabel})
        label->resize(layout.W, label->height());

    layout.PlaceLabel(versionLabel, versionText(), 4);
    if (!blank(description_))
        layout.PlaceLabel(descriptionLabel, description_, 24);
    else if (useResInfo_)
        layout.PlaceLabel(descriptionLabel, GetOwnVersionInfo(5), 24);
    else
        layout.Y += 24;
    layout.PlaceLabel(copyrightLabel, copyright, 1);

    const int jumpGap = blank(email_) ? 6 : 3;
    if (blank(jump_)) {
        layout.Y += jumpGap;
        jumpLabel->setVisible(false);
    } else {
        layout.PlaceLabel(jumpLabel, jump_, jumpGap);
    }
    if (blank(email_)) {
        layout.Y += 6;
        emailLabel->setVisible(false);
    } else {
        layout.PlaceLabel(emailLabel, email_, 6);
    }

    separator->setGeometry(layout.X, layout.Y, layout.W, 2);
    layout.Y += 9;

    layout.W = 150 * pixelsPerInch / 96;
    const SystemInfoText info = MachineSystemInfo();
    layout.PlaceLabel(info1, info.Names, 0);
    layout.X += info1->width();
    layout.PlaceLabel(info2, info.Values, 0);
    layout.Y += std::max(info1->height(), info2->height()) + 24;

    ok->move(layout.ClientWidth - ok->width() - 6, layout.Y);
    custom->move(ok->x() - custom->width() - 6, layout.Y);
    window->setFixedSize(layout.ClientWidth, ok->y() + ok->height() + 6);

    if (ShowHints() && Hints().Count() > 0) {
        QWidget* hinted[] = {ok, custom, image};
        for (int i = 0; i < 3 && i < Hints().Count(); ++i)
            hinted[i]->setToolTip(QString::fromStdString(Hints().Strings(i)));
    }
    window->OnShow = [ok] { ok->setFocus(Qt::ActiveWindowFocusReason); };

    ShowDialog(window.get(), control, std::string(about_strings::Info) + TApplication::Instance().Title() + "...",
               custom);
    return true;
}
