// The command start: options, map list, role and connection, then the game thread.
#pragma once
#include <cstdint>

struct Console;

// -1 when the console was already started; otherwise the number of failed steps (0 or 1).
int32_t startGame(Console& console);
// The same as a client joining the host at `address` and `port`, without the prompts for the
// role, the address and the port.
int32_t joinGame(Console& console, const char* address, int32_t port);
// A started host answers discovery probes on the port it really listens on; none if its
// listener could not be bound.
void showOnLan(Console& console);
