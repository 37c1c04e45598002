// Entry point: the console runs on the main thread.
#include <cstdio>

#include "console/Console.h"
#include "console/Serveur.h"
#include "platform/GameFolders.h"
#include "platform/Memory.h"
#include "platform/SoftwareRenderer.h"
#include "platform/Thread.h"

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    platform::drawWithoutRendererThreads();
    platform::findGameFolders();
    // Prompts must show at once, even through a pipe.
    setvbuf(stdout, nullptr, _IONBF, 0);
    // Ends the process with the game and network threads still running, without tearing
    // down the objects they use.
    platform::exitProcess(runProgram(argc, argv));
}
