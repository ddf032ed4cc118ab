// One translation unit for all process-wide objects, so that their construction order
// is the order written here (across units C++ leaves it open).
#include "measuring/Globals.h"

#include "settings/SettingsStore.h"

SettingsStore settingsStore;
ApplicationState appState;
