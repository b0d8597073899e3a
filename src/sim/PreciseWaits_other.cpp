#include "sim/PreciseWaits.h"

// Other systems keep their timers as they are.
void preciseTimedWaits() {}
