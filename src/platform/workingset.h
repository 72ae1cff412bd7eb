#pragma once

// Gives back the memory a program waiting in the background does not need at hand: the freed
// heap goes back to the system, and the pages of program code and libraries mapped by this
// process alone are reclaimed (they are read in again, from the files, when next used).
// Nothing is lost; the next wake-up costs a few page faults.
void trimWorkingSet();
