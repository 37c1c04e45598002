// The command option: the settings asked one by one on standard input.
#pragma once
#include <cstdint>

#include "options/Options.h"

// Asks for every field but smoothRemotePlayers on standard input, then saves; the result is
// that of saving.
int32_t editOptions(Options& o);
