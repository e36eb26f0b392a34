#include "controls/StyledControls.h"

#include "controls/buttons/TLMDButton.h"
#include "controls/labels/TLMDLabel.h"
#include "controls/labels/TLMDSimpleLabel.h"
#include "controls/buttons/TLMDSpeedButton.h"
#include "framework/core/FormDescription.h"

void RegisterStyledControls()
{
    RegisterControlClass("TLMDLabel", [](TComponent* o, QWidget* p) { return new TLMDLabel(o, p); });
    RegisterControlClass("TLMDSimpleLabel", [](TComponent* o, QWidget* p) { return new TLMDSimpleLabel(o, p); });
    RegisterControlClass("TLMDButton", [](TComponent* o, QWidget* p) { return new TLMDButton(o, p); });
    RegisterControlClass("TLMDSpeedButton", [](TComponent* o, QWidget* p) { return new TLMDSpeedButton(o, p); });
}
