// The secret of the process that keys the launcher's hash indexes.
#ifndef TARVO_BASE_HASHSEED_H
#define TARVO_BASE_HASHSEED_H

#include <stdint.h>

// Names are chosen by whoever writes the card: with a hash known in advance, a skin could bring
// thousands of names that all want the same place of an index, and every lookup would walk them
// all. Mixed with a value nobody knows before the launcher starts, the places of names chosen in
// advance are as spread as those of any other names.
//
// Four bytes of the system's random device, read when first asked for and kept for the life of
// the process; when the device cannot be read, the time of day and the process id stand in.
uint32_t processHashSeed();

#endif
