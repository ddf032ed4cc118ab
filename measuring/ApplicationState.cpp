#include "measuring/ApplicationState.h"

// Every number and flag to 0, every handle to null, the rectangle to zeros and the
// since-date to a valid empty text: exactly the state of a freshly built record.
void ResetApplicationState(ApplicationState& state) { state = ApplicationState(); }
