// Entry point: the console thread.
#include "console/Console.h"

int main() { return runConsole(); }
