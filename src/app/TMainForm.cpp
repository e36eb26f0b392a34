#include "app/TMainForm.h"

#include "about/TLMDAboutDlg.h"
#include "app/HelpText.h"
#include "update/MainFormDescription.h"
#include "update/KeptUpdate.h"
#include "update/UpdateLock.h"
#include "update/UpdateProcedure.h"
#include "update/VersionPanels.h"
#include "app/WindowUpdateDialogs.h"
#include "controls/StyledControls.h"
#include "controls/buttons/TLMDButton.h"
#include "controls/labels/TLMDLabel.h"
#include "controls/buttons/TLMDSpeedButton.h"
#include "framework/core/Exceptions.h"
#include "framework/widgets/MessageDialog.h"
#include "framework/widgets/StdControls.h"
#include "framework/TApplication.h"
#include "framework/widgets/TValueListEditor.h"
#include "platform/system.h"
#include "settings/SettingsPaths.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"
#include "shell/TabfOneInstance.h"
#include "update/ProgramFolder.h"
#include "version/TSMVersionInfo.h"

static void initResources() { Q_INIT_RESOURCE(resources); }

void RegisterMainFormClasses()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterStandardControls();
    RegisterValueListEditor();
    RegisterStyledControls();
    RegisterComponentClass("TabfFileOperation", [](TComponent* o) { return new TabfFileOperation(o); });
    RegisterComponentClass("TSMVersionInfo", [](TComponent* o) { return new TSMVersionInfo(o); });
    RegisterComponentClass("TLMDIniCtrl", [](TComponent* o) { return new TLMDIniCtrl(o); });
    RegisterComponentClass("TLMDAboutDlg", [](TComponent* o) { return new TLMDAboutDlg(o); });
    RegisterComponentClass("TabfOneInstance", [](TComponent* o) { return new TabfOneInstance(o); });
}

template <class T> T* TMainForm::find(const char* name)
{
    auto* c = dynamic_cast<T*>(FindComponent(name));
    if (c == nullptr)
        throw EComponentError(std::string("Component ") + name + " not found");
    return c;
}

TMainForm::TMainForm(TComponent* owner) : TForm(owner)
{
    initResources();
    RegisterMainFormClasses();
    OnCreate = [this] {
        bindComponents();
        // Created before the message loop runs: an error here is shown like any handler's, and the
        // window is still shown and can be used.
        TApplication::Instance().RunHandler([this] { FormCreate(this); });
    };
    LoadFrom(MainFormDescription());
}

void TMainForm::bindComponents()
{
    Panel1 = find<TPanel>("Panel1");
    LMDLabel1 = find<TLMDLabel>("LMDLabel1");
    Panel2 = find<TPanel>("Panel2");
    Image1 = find<TImage>("Image1");
    Label3 = find<TLabel>("Label3");
    ValueListEditor1 = find<TValueListEditor>("ValueListEditor1");
    LMDButton3 = find<TLMDButton>("LMDButton3");
    Label4 = find<TLabel>("Label4");
    ValueListEditor2 = find<TValueListEditor>("ValueListEditor2");
    LMDButton4 = find<TLMDButton>("LMDButton4");
    Label1 = find<TLabel>("Label1");
    Memo1 = find<TMemo>("Memo1");
    Label2 = find<TLabel>("Label2");
    Edit1 = find<TEdit>("Edit1");
    UpdateButton = find<TLMDButton>("UpdateButton");
    HelpButton = find<TLMDSpeedButton>("HelpButton");
    AboutButton = find<TLMDSpeedButton>("AboutButton");
    ExitButton = find<TLMDSpeedButton>("ExitButton");
    abfFileOperation1 = find<TabfFileOperation>("abfFileOperation1");
    LMDAboutDlg1 = find<TLMDAboutDlg>("LMDAboutDlg1");
    abfOneInstance1 = find<TabfOneInstance>("abfOneInstance1");
    SMVersionInfo1 = find<TSMVersionInfo>("SMVersionInfo1");
    SMVersionInfo2 = find<TSMVersionInfo>("SMVersionInfo2");
    LMDIniCtrl1 = find<TLMDIniCtrl>("LMDIniCtrl1");

    ExitButton->OnClick = [this](TComponent* sender) { ExitButtonClick(sender); };
    UpdateButton->OnClick = [this](TComponent* sender) { UpdateButtonClick(sender); };
    LMDButton3->OnClick = [this](TComponent* sender) { LMDButton3Click(sender); };
    LMDButton4->OnClick = [this](TComponent* sender) { LMDButton4Click(sender); };
    ValueListEditor1->OnSelectCell = [this](TComponent* sender, int col, int row, bool& canSelect) {
        ValueListEditor1SelectCell(sender, col, row, canSelect);
    };
    ValueListEditor2->OnSelectCell = [this](TComponent* sender, int col, int row, bool& canSelect) {
        ValueListEditor2SelectCell(sender, col, row, canSelect);
    };
    ValueListEditor1->OnExit = [this](TComponent* sender) { ValueListEditor1Exit(sender); };
    ValueListEditor2->OnExit = [this](TComponent* sender) { ValueListEditor2Exit(sender); };
    OnShow = [this] { FormShow(this); };
    AboutButton->OnClick = [this](TComponent* sender) { AboutButtonClick(sender); };
    HelpButton->OnClick = [this](TComponent* sender) { HelpButtonClick(sender); };
}

void TMainForm::FormCreate(TComponent*)
{
    abfFileOperation1->SetProgressTitle("Updating Tallyrune ...");
    const std::string programFolder = ProgramFolder();
    abfFileOperation1->SetDestFolder(programFolder);
    Edit1->SetText(abfFileOperation1->DestFolder());
    abfFileOperation1->FileList().Clear();
    // Taken as stored: nothing trimmed, no test for a trailing delimiter.
    const std::string updateFolder = ReadUpdateFolder(*LMDIniCtrl1, programFolder);
    abfFileOperation1->FileList().Add(UpdateCopySource(updateFolder));
    Memo1->SetText(abfFileOperation1->FileList().Text());
}

void TMainForm::FormShow(TComponent*)
{
    // An update killed half way left old and new files side by side: the old ones come back
    // before the panels read what is installed.
    RecoveryResult recovery;
    if (const UpdateLock lock(abfFileOperation1->DestFolder()); lock.Held())
        recovery = RecoverUnfinishedUpdate(abfFileOperation1->DestFolder());
    if (!recovery.Message.empty()) {
        WindowUpdateDialogs dialogs;
        if (recovery.Failed)
            dialogs.ShowError(recovery.Message);
        else
            dialogs.Inform(recovery.Message);
    }
    clickFromCode(LMDButton3);
    clickFromCode(LMDButton4);
}

void TMainForm::ExitButtonClick(TComponent*) { close(); }

void TMainForm::UpdateButtonClick(TComponent*)
{
    WindowUpdateDialogs dialogs;
    // Before any question: a second update of the same folder, from another window or the
    // companion, would copy over this one's files.
    const UpdateLock lock(abfFileOperation1->DestFolder());
    if (!lock.Held()) {
        dialogs.ShowError(lock.Refusal());
        return;
    }
    UpdateProcedure procedure(dialogs, *abfFileOperation1, *LMDIniCtrl1);
    procedure.Clock = Clock;
    procedure.OnCopying = [this] { UpdateButton->SetCaptionText("Updating..."); };
    // Compared on what the panels show at this moment, not on what the readers last read.
    switch (procedure.Run(ValueListEditor1->Values("File Version"), ValueListEditor2->Values("File Version"))) {
    case UpdateOutcome::Completed:
        UpdateButton->SetCaptionText("Updated");
        UpdateButton->setEnabled(false);
        close();
        break;
    case UpdateOutcome::Declined: close(); break;
    case UpdateOutcome::CopyFailed:
        // Nothing was put in place: the user may try again or leave.
        UpdateButton->SetCaptionText("Update");
        UpdateButton->setEnabled(true);
        break;
    case UpdateOutcome::Stopped:
    case UpdateOutcome::Refused:
    case UpdateOutcome::SettingsUnreadable: break;
    }
}

void TMainForm::clickFromCode(TLMDButton* button)
{
    if (button->OnClick)
        button->OnClick(button);
}

void TMainForm::LMDButton3Click(TComponent*) { RefillCurrentPanel(*ValueListEditor1, *SMVersionInfo1, RunningUtility()); }

void TMainForm::LMDButton4Click(TComponent*)
{
    RefillUpdatePanel(*ValueListEditor2, *SMVersionInfo2, *LMDIniCtrl1, RunningUtility());
}

// The selection handlers leave the permission alone: the grid's own rule decides.
void TMainForm::ValueListEditor1SelectCell(TComponent*, int, int, bool&) { clickFromCode(LMDButton3); }

void TMainForm::ValueListEditor2SelectCell(TComponent*, int, int, bool&) { clickFromCode(LMDButton4); }

void TMainForm::ValueListEditor1Exit(TComponent*) { clickFromCode(LMDButton3); }

void TMainForm::ValueListEditor2Exit(TComponent*) { clickFromCode(LMDButton4); }

void TMainForm::AboutButtonClick(TComponent*) { LMDAboutDlg1->Execute(); }

void TMainForm::HelpButtonClick(TComponent*) { ShowPlainMessage(HelpText()); }
