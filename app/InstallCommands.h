#pragma once
// Connects the menu and toolbar commands to the code that runs them. Each
// subsystem's window code adds its own commands here.

class frmMain;

namespace app {
void InstallCommands(frmMain& main);
}
