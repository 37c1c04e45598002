#include "console/Console.h"

#include <cstdio>

int runConsole() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    return 0;
}
