#pragma once
// The utility's one window: the installed program's version beside the update's, and the
// update itself.
#include "framework/TForm.h"

#include "framework/core/DateTime.h"

#include <functional>
#include <string>

class TPanel;
class TLabel;
class TEdit;
class TMemo;
class TImage;
class TValueListEditor;
class TLMDLabel;
class TLMDButton;
class TLMDSpeedButton;
class TabfFileOperation;
class TabfOneInstance;
class TLMDIniCtrl;
class TSMVersionInfo;
class TLMDAboutDlg;

class TMainForm : public TForm {
    Q_OBJECT
public:
    explicit TMainForm(TComponent* owner);

    // Controls and components of the stored description, by their stored names.
    TPanel* Panel1 = nullptr;
    TLMDLabel* LMDLabel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label3 = nullptr;
    TValueListEditor* ValueListEditor1 = nullptr;
    TLMDButton* LMDButton3 = nullptr;
    TLabel* Label4 = nullptr;
    TValueListEditor* ValueListEditor2 = nullptr;
    TLMDButton* LMDButton4 = nullptr;
    TLabel* Label1 = nullptr;
    TMemo* Memo1 = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* Edit1 = nullptr;
    TLMDButton* UpdateButton = nullptr;
    TLMDSpeedButton* HelpButton = nullptr;
    TLMDSpeedButton* AboutButton = nullptr;
    TLMDSpeedButton* ExitButton = nullptr;
    TabfFileOperation* abfFileOperation1 = nullptr;
    TLMDAboutDlg* LMDAboutDlg1 = nullptr;
    TabfOneInstance* abfOneInstance1 = nullptr;
    TSMVersionInfo* SMVersionInfo1 = nullptr;
    TSMVersionInfo* SMVersionInfo2 = nullptr;
    TLMDIniCtrl* LMDIniCtrl1 = nullptr;

    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void ExitButtonClick(TComponent* sender);
    void UpdateButtonClick(TComponent* sender);

    // The moment an update records as "LastUpdate"; tests set their own.
    std::function<TDateTime()> Clock = Now;
    void LMDButton3Click(TComponent* sender);
    void LMDButton4Click(TComponent* sender);
    void ValueListEditor1SelectCell(TComponent* sender, int ACol, int ARow, bool& CanSelect);
    void ValueListEditor2SelectCell(TComponent* sender, int ACol, int ARow, bool& CanSelect);
    void ValueListEditor1Exit(TComponent* sender);
    void ValueListEditor2Exit(TComponent* sender);
    void AboutButtonClick(TComponent* sender);
    void HelpButtonClick(TComponent* sender);

private:
    template <class T> T* find(const char* name);
    void bindComponents();
    // Runs the button's click handler at once, with the button as sender, as a user's click would.
    static void clickFromCode(TLMDButton* button);
};

// Makes the window's control and component classes known to the loader.
void RegisterMainFormClasses();
