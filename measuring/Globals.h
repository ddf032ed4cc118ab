// The process-wide objects, built before WinMain in this order: the settings store and
// the record of run-time state.
#ifndef SKITTERA_MEASURING_GLOBALS_H
#define SKITTERA_MEASURING_GLOBALS_H

#include "measuring/ApplicationState.h"

class SettingsStore;

extern SettingsStore settingsStore;
extern ApplicationState appState;

#endif
