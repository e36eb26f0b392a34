#include "controls/StyledControls.h"

#include "controls/TLMDButton.h"
#include "controls/TLMDLabel.h"
#include "controls/TLMDSimpleLabel.h"
#include "controls/TLMDSpeedButton.h"
#include "framework/FormDescription.h"

void RegisterStyledControls()
{
    RegisterControlClass("TLMDLabel", [](TComponent* o, QWidget* p) { return new TLMDLabel(o, p); });
    RegisterControlClass("TLMDSimpleLabel", [](TComponent* o, QWidget* p) { return new TLMDSimpleLabel(o, p); });
    RegisterControlClass("TLMDButton", [](TComponent* o, QWidget* p) { return new TLMDButton(o, p); });
    RegisterControlClass("TLMDSpeedButton", [](TComponent* o, QWidget* p) { return new TLMDSpeedButton(o, p); });
}
