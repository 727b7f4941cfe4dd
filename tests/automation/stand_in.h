// The scripted automation stand-in (fake_automation.dll) registered for its
// four classes in this prefix, as an installer would: fake_automation.reg,
// with the DLL's path filled in, imported by the registry editor.
#pragma once

void RegisterAutomationStandIn();
