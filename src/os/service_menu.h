// The service menu (control code 32000) and its three tools: the variable
// manager, the font and language check, and the add-in data tool.
#pragma once

void ServiceMenu();

void VariableManager();
void FontLanguageCheck();
void AddinDataTool();
