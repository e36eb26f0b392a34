#pragma once
// The About box: a window built afresh on every showing from the component's texts and from the
// running program's own version resource, shown modally and destroyed when it closes.
#include "about/TLMDBaseDialog.h"

#include <QIcon>
#include <string>

struct AboutLayout;
class TLMDSimpleLabel;

enum TLMDAboutIconStyle { isNone, isStandard, isExtended };
enum TLMDAboutStyle { bsStandard, bsLMD };
enum TLMDAboutVersionStyle { vsProg, vsFileShort, vsFileFull, vsFileBuild };

class TLMDAboutDlg : public TLMDBaseDialog {
public:
    explicit TLMDAboutDlg(TComponent* owner);

    const std::string& Appname() const { return appname_; }
    void SetAppname(const std::string& s) { appname_ = s; }
    int AppNameSize() const { return appNameSize_; }
    void SetAppNameSize(int points) { appNameSize_ = points; }
    const std::string& Copyright() const { return copyright_; }
    void SetCopyright(const std::string& s) { copyright_ = s; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& s) { description_ = s; }
    const std::string& EMail() const { return email_; }
    void SetEMail(const std::string& s) { email_ = s; }
    const std::string& Jump() const { return jump_; }
    void SetJump(const std::string& s) { jump_ = s; }
    const std::string& Version() const { return version_; }
    void SetVersion(const std::string& s) { version_ = s; }
    TLMDAboutIconStyle IconStyle() const { return iconStyle_; }
    void SetIconStyle(TLMDAboutIconStyle style) { iconStyle_ = style; }
    TLMDAboutStyle Style() const { return style_; }
    void SetStyle(TLMDAboutStyle style) { style_ = style; }
    bool UseResInfo() const { return useResInfo_; }
    void SetUseResInfo(bool use) { useResInfo_ = use; }
    TLMDAboutVersionStyle UseResVersionInfoStyle() const { return versionStyle_; }
    void SetUseResVersionInfoStyle(TLMDAboutVersionStyle style) { versionStyle_ = style; }
    bool UseDefault() const { return useDefault_; }
    void SetUseDefault(bool use) { useDefault_ = use; }
    // The component's own icon; while it is empty the application's icon is shown.
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& icon) { icon_ = icon; }

    // One value of the running program's own version resource, read afresh on every call.
    std::string GetOwnVersionInfo(int index) const;

    // Builds and shows the window (or, with bsStandard, the platform's About box). control, when
    // given, is the rectangle the window is placed in.
    bool ShowAbout(QWidget* control);
    bool Execute() override { return ShowAbout(nullptr); }

    void ReadProperty(const std::string& name, const std::string& value) override;

private:
    std::string titleText() const;
    std::string copyrightText() const;
    std::string versionText() const;
    // The component's icon, or the application's while it has none.
    QIcon shownIcon() const;
    bool showStandardBox(QWidget* control, const std::string& title, const std::string& copyright);

    // The steps of building the window, top to bottom.
    struct Parts;
    Parts makeParts() const;
    static void makeButtons(Parts& parts);
    void makeLabels(Parts& parts) const;
    void placeHeader(Parts& parts, AboutLayout& layout, const std::string& title) const;
    static void placeTitle(TLMDSimpleLabel* label, AboutLayout& layout, int top, const std::string& title);
    void placeTexts(Parts& parts, AboutLayout& layout, const std::string& copyright) const;
    static void placeSystemInfo(Parts& parts, AboutLayout& layout);
    static void placeButtons(Parts& parts, const AboutLayout& layout);
    void giveHints(Parts& parts) const;

    std::string appname_;
    int appNameSize_ = 22;
    std::string copyright_;
    std::string description_;
    std::string email_;
    std::string jump_;
    std::string version_;
    TLMDAboutIconStyle iconStyle_ = isExtended;
    TLMDAboutStyle style_ = bsLMD;
    bool useResInfo_ = false;
    TLMDAboutVersionStyle versionStyle_ = vsProg;
    bool useDefault_ = false;
    std::string about_;
    QIcon icon_;
};
