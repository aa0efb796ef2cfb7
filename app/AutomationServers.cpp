#include "AutomationServers.h"

#include "SpreadsheetServer.h"

void RegisterAutomationServers() {
    Spreadsheet::Register();
}
