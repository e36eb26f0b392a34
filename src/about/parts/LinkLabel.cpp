#include "about/parts/LinkLabel.h"

#include "controls/labels/TLMDSimpleLabel.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "platform/shell.h"

#include <cstdint>

bool OpenLink(const std::string& target)
{
    TForm* main = TApplication::Instance().MainForm();
    const HINSTANCE result = ShellExecuteA(main != nullptr ? main->WindowHandle() : nullptr, nullptr, target.c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

void MakeLink(TLMDSimpleLabel* label)
{
    label->ReadProperty("Font.Color", "$00FF0000"); // blue
    label->ReadProperty("Font.Style", "[fsUnderline]");
    label->SetJumpMode(jmInternet);
    label->OpenTarget = OpenLink;
}
