// What the game prints in every console session, and a way to run one.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "../support/Process.h"

namespace consoletest {

const std::string BANNER = "################################################\n"
                           "# Brumevoltigeante 4 - Multijoueur             #\n"
                           "# par Vorpaxelle                               #\n"
                           "# tapez aide pour avoir la liste des commandes #\n"
                           "# tapez options avant de commencer             #\n"
                           "# ou start pour lancer le jeu                  #\n"
                           "################################################\n\n";
const std::string P = "\n>>>";

inline std::string repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// Runs the game in `folder` with all of `input`; every session must end cleanly with status 0.
inline std::string runGame(const char* folder, const std::string& input, int timeoutMs) {
    const testsupport::ProcessResult r =
        testsupport::runProcess(BV_GAME_EXE, input, folder, timeoutMs);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 0);
    return r.output;
}

} // namespace consoletest
