// The process-wide objects, built before WinMain in this order: the settings store,
// the two registered message numbers, the record of run-time state.
#ifndef SKITTERA_SHELL_GLOBALS_H
#define SKITTERA_SHELL_GLOBALS_H

#include "shell/ApplicationState.h"

class SettingsStore;

extern SettingsStore settingsStore;
extern unsigned trayMessage;           // "VELTRAC_ICON"
extern unsigned taskbarCreatedMessage; // "TaskbarCreated"
extern ApplicationState appState;

#endif
