// One translation unit for all process-wide objects, so that their construction order
// is the order written here (across units C++ leaves it open).
#include "shell/Globals.h"

#include <windows.h>

#include "settings/SettingsStore.h"

SettingsStore settingsStore;
unsigned trayMessage = RegisterWindowMessageA("VELTRAC_ICON");
unsigned taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
ApplicationState appState;
