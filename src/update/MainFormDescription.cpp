#include "update/MainFormDescription.h"

#include "update/MakerContacts.h"

// Layout for 96 dpi; positions are left, top in the parent's client pixels.
namespace {
const StoredFont windowFont{"MS Sans Serif", -11, "[]", "clWindowText", "DEFAULT_CHARSET"};
const StoredFont titleFont{"Arial", -21, "[fsBold]", "clWindowText", "ANSI_CHARSET"};
const StoredFont headingFont{"MS Sans Serif", -16, "[fsBold]", "clBlack", "DEFAULT_CHARSET"};
const StoredFont buttonFont{"MS Sans Serif", -11, "[]", "clWindowText", "DEFAULT_CHARSET"};
const StoredFont updateButtonFont{"MS Sans Serif", -11, "[fsBold]", "clWindowText", "DEFAULT_CHARSET"};

// Both version panels share their settings; only the tab order differs.
StoredProperties versionPanel(const std::string& tabOrder)
{
    return {
        {"Color", "clInfoBk"},
        {"Ctl3D", "True"},
        {"TabStop", "False"},
        {"DisplayOptions", "[doAutoColResize, doKeyColFixed]"},
        {"ColWidths[0]", "95"},
        {"ColWidths[1]", "328"},
        {"DefaultRowHeight", "18"},
        {"Options", "[goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goEditing, "
                    "goAlwaysShowEditor, goThumbTracking]"},
        {"KeyOptions", "[]"},
        {"TabOrder", tabOrder},
    };
}
} // namespace

// clang-format off: kept in the shape of the designer's tables, one control a row.
const FormDescription& MainFormDescription()
{
    static const FormDescription description{
        "MainForm",
        "TMainForm",
        {
            {"Left", "349"},
            {"Top", "130"},
            {"BorderIcons", "[biSystemMenu]"},
            {"BorderStyle", "bsSingle"},
            {"Caption", "Tallyrune POS Update Utility"},
            {"ClientHeight", "442"},
            {"ClientWidth", "596"},
            {"Color", "16777151"},
            {"Position", "poScreenCenter"},
            {"PixelsPerInch", "96"},
        },
        &windowFont,
        {
            // Name, Class, Parent, Left, Top, Width, Height, Caption, Font, Further settings
            {"Panel1", "TPanel", "", 0, 0, 596, 41, "", nullptr,
             {{"Align", "alTop"}, {"Color", "clWhite"}, {"BevelInner", "bvLowered"}, {"TabOrder", "3"}}},
            {"LMDLabel1", "TLMDLabel", "Panel1", 8, 8, 294, 27, "Tallyrune POS Update Utility", &titleFont,
             {{"Alignment", "agCenter"}, {"FontFX.Style", "tdSunken"}, {"Bevel.Mode", "bmCustom"}}},
            {"Panel2", "TPanel", "Panel1", 446, 4, 145, 35, "Panel2", nullptr,
             {{"Color", "clWhite"}, {"BevelOuter", "bvNone"}}},
            {"Image1", "TImage", "Panel2", 8, -21, 125, 125, "", nullptr,
             {{"AutoSize", "True"}, {"Picture", ":/logo.jpg"}}},
            {"Label3", "TLabel", "", 16, 53, 199, 20, "Current Program Version", &headingFont,
             {{"Transparent", "True"}}},
            {"ValueListEditor1", "TValueListEditor", "", 16, 78, 429, 83, "", nullptr,
             versionPanel("4")},
            {"LMDButton3", "TLMDButton", "", 456, 132, 125, 29, "Get Current Version", &buttonFont,
             {{"ParentColor", "True"}, {"TabOrder", "6"}}},
            {"Label4", "TLabel", "", 16, 171, 198, 20, "Update Program Version", &headingFont,
             {{"Transparent", "True"}}},
            {"ValueListEditor2", "TValueListEditor", "", 16, 196, 429, 83, "", nullptr,
             versionPanel("5")},
            {"LMDButton4", "TLMDButton", "", 456, 248, 125, 29, "Check for New Version", &buttonFont,
             {{"ParentColor", "True"}, {"TabOrder", "7"}}},
            {"Label1", "TLabel", "", 20, 292, 34, 13, "Source", nullptr, {{"Transparent", "True"}}},
            {"Memo1", "TMemo", "", 20, 306, 421, 21, "", nullptr,
             {{"ParentColor", "True"}, {"TabStop", "False"}, {"TabOrder", "2"}}},
            {"Label2", "TLabel", "", 20, 330, 53, 13, "Destination", nullptr, {{"Transparent", "True"}}},
            {"Edit1", "TEdit", "", 20, 344, 421, 21, "", nullptr,
             {{"ParentColor", "True"}, {"TabStop", "False"}, {"TabOrder", "1"}}},
            {"UpdateButton", "TLMDButton", "", 20, 384, 129, 37, "Update", &updateButtonFont,
             {{"Default", "True"},
              {"ParentColor", "True"},
              {"Glyph", ":/glyph-update.bmp"},
              {"NumGlyphs", "2"},
              {"TabOrder", "0"}}},
            {"HelpButton", "TLMDSpeedButton", "", 348, 392, 69, 29, "Help", &buttonFont,
             {{"ParentColor", "True"}, {"Glyph", ":/glyph-help.bmp"}, {"NumGlyphs", "2"}}},
            {"AboutButton", "TLMDSpeedButton", "", 428, 392, 69, 29, "About", &buttonFont,
             {{"ParentColor", "True"}, {"Glyph", ":/glyph-about.bmp"}, {"NumGlyphs", "1"}}},
            {"ExitButton", "TLMDSpeedButton", "", 508, 392, 68, 28, "Exit", &buttonFont,
             {{"ParentColor", "True"},
              {"Glyph", ":/glyph-exit.bmp"},
              {"NumGlyphs", "2"},
              {"Anchors", "[akTop, akRight]"}}},
        },
        {
            {"abfFileOperation1", "TabfFileOperation",
             {{"ProgressTitle", "Tallyrune Updating..."},
              {"Options", "[fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress]"}}},
            {"LMDAboutDlg1", "TLMDAboutDlg",
             {{"Appname", "Update Utility"},
              {"AppNameSize", "18"},
              {"CaptionTitle", "About Update Utility"},
              {"Description", "Tallyrune Update Utility"},
              {"Colors", "16"},
              {"IconStyle", "isStandard"},
              {"UseResInfo", "True"},
              {"UseResVersionInfoStyle", "vsFileFull"},
              {"Copyright", maker::Copyright},
              {"EMail", maker::Email},
              {"Jump", maker::Website}}},
            {"abfOneInstance1", "TabfOneInstance",
             {{"Message", "Update Utility is already running. You can only run one instance of this program."},
              {"ShowMessage", "True"}}},
            {"SMVersionInfo1", "TSMVersionInfo", {}},
            {"SMVersionInfo2", "TSMVersionInfo", {}},
            {"LMDIniCtrl1", "TLMDIniCtrl",
             {{"Target", "itRegistry"},
              {"RegRoot", "rpLocalMachine"},
              {"RegPath", "Software\\Harrowmere\\Tallyrune"},
              {"IniFile", "Tallyrune.INI"},
              {"IniPrefix", "ppProgram"}}},
        },
    };
    return description;
}
// clang-format on
