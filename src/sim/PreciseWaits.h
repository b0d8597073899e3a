#pragma once

// Lets the calling thread's timed waits end as close to their time as the
// system allows. A delayed reply of a simulated device is a timed wait of
// its reader, where a real device's reply wakes the reader at once; Linux
// would otherwise let each such wait end up to 50 us late by default.
void preciseTimedWaits();
