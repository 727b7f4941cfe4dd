// The scripted automation stand-in (fake_automation.dll) registered for its
// four classes in this prefix, as an installer would: fake_automation.reg,
// with the DLL's path filled in, imported by the registry editor.
#pragma once

#include <string>
#include <vector>

void RegisterAutomationStandIn();

// Reading the stand-in's log: its lines; the calls among them (without the
// lines about objects coming and going); and the check that every object it
// handed out was released again.
std::vector<std::string> StandInLines(const std::string& log);
std::vector<std::string> StandInCalls(const std::string& log);
void ExpectAllReleased(const std::string& log);
