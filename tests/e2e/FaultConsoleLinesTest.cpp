// Ten thousand random console lines, some of them 10 KB long: command words with arguments
// of every kind, loose words, raw bytes. The console never crashes or hangs and still
// answers aide; the same after a host has started its game, with the host commands mixed in.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "E2eSupport.h"

namespace {

using namespace e2e;

constexpr uint32_t SEED = 77u;
constexpr int LINES = 10000;
constexpr int LONG_LINES = 10;
constexpr size_t LONG_LINE_BYTES = 10 * 1024;
// Long enough for the slowest reader here to work through the whole script.
constexpr int SCRIPT_MS = 120000;

// Every command but quitter (which ends the program) and start (which opens a game).
const char* const WORDS[] = {
    "aide",      "listemap", "listetexture", "affichemap", "option", "dire", "expulse", "score",
    "chargemap", "reset",    "Aide",         "options",    "-",      "+",    "0"};
const char* const NUMBERS[] = {"0",
                               "1",
                               "3",
                               "6",
                               "7",
                               "-1",
                               "-5",
                               "8",
                               "99",
                               "2147483647",
                               "-2147483648",
                               "2147483648",
                               "99999999999999999999",
                               "-0",
                               "+3",
                               "0x10",
                               "1e9",
                               "3abc",
                               "--1"};

class LineMaker {
  public:
    explicit LineMaker(std::vector<std::string> commands) : commands_(std::move(commands)) {}

    std::string line() {
        switch (pick(4)) {
        case 0:
            return commandLine();
        case 1:
            return words(1 + pick(25));
        case 2:
            return rawBytes(1 + pick(200));
        default:
            return commandLine() + " " + rawBytes(pick(30));
        }
    }
    std::string longLine() {
        std::string s = pick(2) == 0 ? words(1) : rawBytes(1);
        while (s.size() < LONG_LINE_BYTES)
            s += pick(2) == 0 ? " " + words(1) : rawBytes(64);
        return s.substr(0, LONG_LINE_BYTES);
    }

  private:
    size_t pick(size_t n) { return static_cast<size_t>(random_() % n); }

    std::string commandLine() {
        std::string s = commands_[pick(commands_.size())];
        for (size_t i = pick(24); i > 0; --i)
            s += std::string(pick(3) == 0 ? "  " : " ") +
                 (pick(3) == 0 ? words(1) : NUMBERS[pick(sizeof NUMBERS / sizeof NUMBERS[0])]);
        return s;
    }
    std::string words(size_t n) {
        std::string s;
        for (size_t w = 0; w < n; ++w) {
            if (w > 0) s += ' ';
            for (size_t i = 1 + pick(12); i > 0; --i)
                s += static_cast<char>('!' + pick(94));
        }
        return s;
    }
    // Any byte but the line break; a zero, a carriage return or a lone 0xFF among them.
    std::string rawBytes(size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) {
            char c = static_cast<char>(pick(256));
            s += c == '\n' ? '\r' : c;
        }
        return s;
    }

    std::vector<std::string> commands_;
    std::mt19937 random_{SEED};
};

// Feeds the lines, then enough plain lines to end whatever prompt a line left open (the
// option editor asks ten questions).
bool feed(Player& p, const std::vector<std::string>& lines) {
    for (const std::string& l : lines)
        if (!p.send(l)) return false;
    for (int i = 0; i < 12; ++i)
        if (!p.send("0")) return false;
    return true;
}

std::vector<std::string> script(LineMaker& maker, int count, int longOnes) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(i % (count / longOnes) == count / longOnes / 2 ? maker.longLine()
                                                                       : maker.line());
    return lines;
}

bool isForbidden(const std::string& l) {
    return l.find("quitter") != std::string::npos || l.find("start") != std::string::npos;
}

TEST(ConsoleLines, TenThousandRandomLinesBeforeAnyGame) {
    XDisplay x; // never used: no game starts
    Player console(x, smallWindow());
    ASSERT_TRUE(console.launch()) << console.tail();
    LineMaker maker(std::vector<std::string>(std::begin(WORDS), std::end(WORDS)));
    std::vector<std::string> lines = script(maker, LINES, LONG_LINES);
    for (std::string& l : lines)
        if (isForbidden(l)) l = "aide";
    ASSERT_TRUE(feed(console, lines));
    ASSERT_TRUE(console.send("aide"));
    // The end of input ends the console as quitter does, once every line before it is done:
    // the help must be the last thing it printed, before the prompt that met the end.
    console.process().closeInput();
    ASSERT_TRUE(console.process().waitExit(SCRIPT_MS)) << console.tail();
    EXPECT_EQ(console.process().exitStatus(), 0) << console.tail();
    const std::string out = console.process().output();
    const size_t help = out.rfind(HELP_FIRST_LINES);
    ASSERT_NE(help, std::string::npos) << console.tail();
    EXPECT_EQ(out.find(">>>", help), out.size() - 3) << console.tail();
    EXPECT_EQ(out.find("Pas d'erreur durant l'initialisation"), std::string::npos);
}

TEST(ConsoleLines, RandomLinesWithHostCommandsWhileHosting) {
    XDisplay x;
    ASSERT_TRUE(x.start()) << "no X server";
    Player host(x, smallWindow());
    ASSERT_TRUE(host.launch()) << host.tail();
    const int port = freePort();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(host.host(port, 1)) << host.tail();

    std::vector<std::string> commands(std::begin(WORDS), std::end(WORDS));
    commands.push_back("start"); // refused now: the game runs already
    LineMaker maker(commands);
    std::vector<std::string> lines = script(maker, 300, 3);
    for (std::string& l : lines)
        if (l.find("quitter") != std::string::npos) l = "score";
    const size_t from = host.mark();
    ASSERT_TRUE(feed(host, lines));
    // An answer that no line of the script gives: every line before it has been read.
    ASSERT_TRUE(host.send("affichemap 424242"));
    EXPECT_TRUE(host.waitFor("Erreur: La map 424242 est inexistante\n", SCRIPT_MS, from))
        << host.tail();
    EXPECT_TRUE(host.command("aide", HELP_FIRST_LINES)) << host.tail();
    // The game loop still runs: the scores are printed by it.
    EXPECT_TRUE(host.command("score", "Mon score (7)=")) << host.tail();
    EXPECT_FALSE(host.window(REPLY_MS).empty()) << "the game window closed";
    EXPECT_TRUE(host.process().isRunning()) << host.tail();
}

} // namespace
