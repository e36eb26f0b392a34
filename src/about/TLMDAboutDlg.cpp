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
#include <array>
#include <memory>

namespace {
constexpr int pixelsPerInch = 96; // the window is laid out for 96 dpi whatever the screen
constexpr int designPixelsPerInch = 96; // the dpi the pixel sizes below were chosen for
constexpr int pointsPerInch = 72;
constexpr int modalOk = 1;
constexpr int iconSize = 32;
constexpr std::array<const char*, 3> iconStyleNames{"isNone", "isStandard", "isExtended"};
constexpr std::array<const char*, 2> styleNames{"bsStandard", "bsLMD"};
constexpr std::array<const char*, 4> versionStyleNames{"vsProg", "vsFileShort", "vsFileFull", "vsFileBuild"};

// The window and its parts, in pixels at the design dpi.
constexpr int windowWidth = 440;
constexpr int edgeMargin = 6; // right and bottom edge of the window, between the buttons
constexpr int buttonWidth = 75;
constexpr int buttonHeight = 25;
constexpr int imageLeft = 15;
constexpr int imageTop = 7;
constexpr int imageSide = 105;
constexpr int textRightMargin = 10; // right of the text column unless the shadowed picture shows

// Without an icon the window is narrower and the text starts at its top-left corner.
constexpr int plainWindowWidth = 340;
constexpr int plainTextLeft = 10;
constexpr int plainTextTop = 10;
constexpr int plainHeaderBottom = 60; // the version line starts no higher

// With the bare icon the window is narrower by this and the text starts right of the icon.
constexpr int iconWindowNarrowing = 30;
constexpr int iconLeft = 13;
constexpr int iconTextLeft = 60;
constexpr int iconHeaderBottom = 66;

constexpr int titleTop = 12;        // without a picture
constexpr int pictureTitleTop = 24; // beside the shadowed picture
constexpr int pictureTextGap = 8;   // between the picture and the text column

// Gaps below each line of the text column.
constexpr int titleGap = 10;
constexpr int versionGap = 4;
constexpr int descriptionGap = 24;
constexpr int copyrightGap = 1;
constexpr int linkGap = 6;
constexpr int linkGapAboveMail = 3;

// Below the text column: a separating line, then the system's names and values.
constexpr int separatorHeight = 2;
constexpr int separatorGap = 9;
constexpr int systemInfoColumnWidth = 150;
constexpr int systemInfoGap = 24;

constexpr int scaled(int designPixels)
{
    return designPixels * pixelsPerInch / designPixelsPerInch;
}

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

template <typename Part> Part* newPart(TForm* window, const char* name)
{
    auto* part = new Part(window, window);
    part->SetName(name);
    part->setObjectName(QString::fromLatin1(name));
    return part;
}

TLMDSimpleLabel* newLabel(TForm* window, const char* name)
{
    auto* label = newPart<TLMDSimpleLabel>(window, name);
    label->SetMultiLine(true);
    label->SetShowAccelChar(false);
    return label;
}

TLMDButton* newButton(TForm* window, const char* name)
{
    auto* button = newPart<TLMDButton>(window, name);
    button->resize(buttonWidth, buttonHeight);
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

QIcon TLMDAboutDlg::shownIcon() const
{
    return icon_.isNull() ? QApplication::windowIcon() : icon_;
}

bool TLMDAboutDlg::showStandardBox(QWidget* control, const std::string& title, const std::string& copyright)
{
    const std::string app = CaptionTitle().empty() ? title : title + "#" + CaptionTitle();
    const wincompat::IconHandle icon(shownIcon());
    const HWND owner = control != nullptr ? wincompat::handleOf(control->window()) : nullptr;
    return ShellAboutA(owner, shellText(app).c_str(), shellText(copyright).c_str(), icon.get()) != FALSE;
}

// The parts of one showing of the window, in the order they were made.
struct TLMDAboutDlg::Parts {
    std::unique_ptr<TForm> Window;
    TImage* Image = nullptr;
    TLMDButton* Ok = nullptr;
    TLMDButton* Custom = nullptr;
    TBevel* Separator = nullptr;
    TLMDSimpleLabel* Title = nullptr;
    TLMDSimpleLabel* Version = nullptr;
    TLMDSimpleLabel* Description = nullptr;
    TLMDSimpleLabel* Copyright = nullptr;
    TLMDSimpleLabel* Info1 = nullptr;
    TLMDSimpleLabel* Info2 = nullptr;
    TLMDSimpleLabel* Jump = nullptr;
    TLMDSimpleLabel* EMail = nullptr;
};

bool TLMDAboutDlg::ShowAbout(QWidget* control)
{
    const std::string title = titleText();
    const std::string copyright = copyrightText();
    if (style_ == bsStandard)
        return showStandardBox(control, title, copyright);

    // Owned by the application for the time it shows; nothing of it outlives this call.
    Parts parts = makeParts();
    AboutLayout layout;
    placeHeader(parts, layout, title);
    placeTexts(parts, layout, copyright);
    placeSystemInfo(parts, layout);
    placeButtons(parts, layout);
    giveHints(parts);

    TLMDButton* ok = parts.Ok;
    parts.Window->OnShow = [ok] { ok->setFocus(Qt::ActiveWindowFocusReason); };
    ShowDialog(parts.Window.get(), control, std::string(about_strings::Info) + TApplication::Instance().Title() + "...",
               parts.Custom);
    return true;
}

TLMDAboutDlg::Parts TLMDAboutDlg::makeParts() const
{
    Parts parts;
    parts.Window = std::make_unique<TForm>(nullptr);
    TForm* window = parts.Window.get();
    window->SetName("LMDAboutForm");
    window->setObjectName(QStringLiteral("LMDAboutForm"));
    window->ReadProperty("Color", "clBtnFace");
    window->ReadProperty("Font.Name", "MS Sans Serif");
    window->ReadProperty("Font.Height", "-11");
    window->ReadProperty("Font.Color", "clWindowText");

    parts.Image = newPart<TImage>(window, "Image");
    parts.Image->setGeometry(imageLeft, imageTop, imageSide, imageSide);
    makeButtons(parts);
    parts.Separator = newPart<TBevel>(window, "Bevel");
    parts.Separator->SetShape(bsTopLine);
    makeLabels(parts);
    return parts;
}

void TLMDAboutDlg::makeButtons(Parts& parts)
{
    TForm* window = parts.Window.get();
    parts.Ok = newButton(window, "OKButton");
    parts.Ok->SetCaptionText("OK");
    parts.Ok->SetDefault(true);
    parts.Ok->SetCancel(true);
    QObject::connect(parts.Ok, &QPushButton::clicked, window, [window] { window->SetModalResult(modalOk); });
    parts.Custom = newButton(window, "CustomButton");
    parts.Custom->setVisible(false);
    QWidget::setTabOrder(parts.Ok, parts.Custom);
}

void TLMDAboutDlg::makeLabels(Parts& parts) const
{
    TForm* window = parts.Window.get();
    parts.Title = newLabel(window, "lblAppName");
    parts.Title->ReadProperty("Font.Name", "Arial");
    parts.Title->ReadProperty("Font.Style", "[fsBold]");
    parts.Title->Font3D().SetStyle(tdSunken);
    parts.Version = newLabel(window, "lblVersion");
    parts.Version->ReadProperty("Font.Style", "[fsBold]");
    parts.Description = newLabel(window, "lblDescription");
    parts.Copyright = newLabel(window, "lblCopyright");
    parts.Info1 = newLabel(window, "lblinfo1");
    parts.Info2 = newLabel(window, "lblinfo2");
    parts.Jump = newLabel(window, "lblJump");
    parts.EMail = newLabel(window, "lblEMail");
    MakeLink(parts.Jump);
    MakeLink(parts.EMail);

    // Points to pixels, rounded as the platform does.
    const int titlePixels = (appNameSize_ * pixelsPerInch + pointsPerInch / 2) / pointsPerInch;
    parts.Title->ReadProperty("Font.Height", std::to_string(-titlePixels));
}

// The picture and the title beside it, by the icon style; the text column starts below both.
void TLMDAboutDlg::placeHeader(Parts& parts, AboutLayout& layout, const std::string& title) const
{
    const QImage iconImage = shownIcon().pixmap(iconSize, iconSize).toImage();
    TImage* image = parts.Image;

    // The window's own frame is drawn by the window manager outside these pixels, so the
    // window's width is its client width.
    layout.ClientWidth = scaled(windowWidth);
    switch (iconStyle_) {
    case isNone:
        layout.ClientWidth = plainWindowWidth;
        layout.X = plainTextLeft;
        layout.Y = plainTextTop;
        image->setVisible(false);
        layout.W = layout.ClientWidth - plainTextLeft - textRightMargin;
        placeTitle(parts.Title, layout, titleTop, title);
        layout.Y = std::max(layout.Y, plainHeaderBottom);
        break;
    case isStandard:
        image->move(iconLeft, image->y());
        image->SetPicture(iconImage); // an icon keeps its own size
        layout.ClientWidth -= iconWindowNarrowing;
        layout.Y = titleTop;
        layout.X = iconTextLeft;
        layout.W = layout.ClientWidth - iconTextLeft - textRightMargin;
        placeTitle(parts.Title, layout, titleTop, title);
        layout.Y = std::max(layout.Y, iconHeaderBottom);
        break;
    case isExtended:
        // A bitmap stretches over the whole image.
        image->SetPicture(ShadowedIcon(iconImage).scaled(image->size()));
        layout.X = image->x() + image->width() + pictureTextGap;
        layout.Y = pictureTitleTop;
        layout.W = layout.ClientWidth - layout.X - edgeMargin;
        placeTitle(parts.Title, layout, pictureTitleTop, title);
        layout.Y = std::max(layout.Y, image->y() + image->height());
        break;
    }
}

// An empty title keeps this place, with no height.
void TLMDAboutDlg::placeTitle(TLMDSimpleLabel* label, AboutLayout& layout, int top, const std::string& title)
{
    label->setGeometry(layout.X, top, layout.W, 0);
    layout.PlaceLabel(label, title, titleGap);
}

// Version, description, copyright and the two links; a blank line keeps its gap.
void TLMDAboutDlg::placeTexts(Parts& parts, AboutLayout& layout, const std::string& copyright) const
{
    for (TLMDSimpleLabel* label : {parts.Version, parts.Description, parts.Copyright})
        label->resize(layout.W, label->height());
    layout.PlaceLabel(parts.Version, versionText(), versionGap);
    if (!blank(description_))
        layout.PlaceLabel(parts.Description, description_, descriptionGap);
    else if (useResInfo_)
        layout.PlaceLabel(parts.Description, GetOwnVersionInfo(5), descriptionGap);
    else
        layout.Y += descriptionGap;
    layout.PlaceLabel(parts.Copyright, copyright, copyrightGap);

    const int jumpGap = blank(email_) ? linkGap : linkGapAboveMail;
    if (blank(jump_)) {
        layout.Y += jumpGap;
        parts.Jump->setVisible(false);
    } else {
        layout.PlaceLabel(parts.Jump, jump_, jumpGap);
    }
    if (blank(email_)) {
        layout.Y += linkGap;
        parts.EMail->setVisible(false);
    } else {
        layout.PlaceLabel(parts.EMail, email_, linkGap);
    }
}

// A line across the text column, then the system's names and values side by side below it.
void TLMDAboutDlg::placeSystemInfo(Parts& parts, AboutLayout& layout)
{
    parts.Separator->setGeometry(layout.X, layout.Y, layout.W, separatorHeight);
    layout.Y += separatorGap;

    layout.W = scaled(systemInfoColumnWidth);
    const SystemInfoText info = MachineSystemInfo();
    layout.PlaceLabel(parts.Info1, info.Names, 0);
    layout.X += parts.Info1->width();
    layout.PlaceLabel(parts.Info2, info.Values, 0);
    layout.Y += std::max(parts.Info1->height(), parts.Info2->height()) + systemInfoGap;
}

// OK in the bottom right corner, the custom button left of it; the window ends below them.
void TLMDAboutDlg::placeButtons(Parts& parts, const AboutLayout& layout)
{
    TLMDButton* ok = parts.Ok;
    ok->move(layout.ClientWidth - ok->width() - edgeMargin, layout.Y);
    parts.Custom->move(ok->x() - parts.Custom->width() - edgeMargin, layout.Y);
    parts.Window->setFixedSize(layout.ClientWidth, ok->y() + ok->height() + edgeMargin);
}

// The hints in order: OK, the custom button, the picture.
void TLMDAboutDlg::giveHints(Parts& parts) const
{
    if (!ShowHints() || Hints().Count() == 0)
        return;
    QWidget* hinted[] = {parts.Ok, parts.Custom, parts.Image};
    const int count = std::min(static_cast<int>(std::size(hinted)), Hints().Count());
    for (int i = 0; i < count; ++i)
        hinted[i]->setToolTip(QString::fromStdString(Hints().Strings(i)));
}
