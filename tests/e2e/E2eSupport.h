// Real players for end-to-end tests: an X server of the test's own (so keyboard focus never
// races with other tests), game processes driven through their console and their window,
// and headless bots. Every wait is bounded; every process dies with its object.
#pragma once
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "../support/GameFolder.h"
#include "../support/LiveProcess.h"
#include "platform/Socket.h"

namespace e2e {

using testsupport::GameFolder;
using testsupport::GameSettings;
using testsupport::LiveProcess;

// Generous bounds: the machine is shared with other tests running at the same time.
constexpr int STARTUP_MS = 20000;
constexpr int REPLY_MS = 10000;
constexpr int TOOL_MS = 10000;

constexpr const char* WINDOW_READY =
    "\n\tPas d'erreur durant l'initialisation de la fenetre\n\n>>>";
constexpr const char* BIND_FAILED = "bind a echoue";
constexpr const char* HELP_FIRST_LINES = "\nLISTE DES COMMANDES:\n\n";

inline void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Whether `done` holds within `ms`, asked every 100 ms.
inline bool within(int ms, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        pause(100);
    }
}

// Full path of a program found in PATH, or the name itself.
inline std::string findProgram(const std::string& name) {
    const char* path = getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return name;
}

// A TCP port nobody listens on right now, picked by the system.
inline int freePort() {
    platform::TcpSocket s;
    if (platform::listenTcp(0, 1, s) != 0) return -1;
    const int port = platform::localPort(s);
    platform::closeSocket(s);
    return port;
}

// The smallest window worth drawing, for tests that watch consoles and peers, not pixels.
inline GameSettings smallWindow(const char* pseudo = "hote") {
    GameSettings s;
    s.pseudo = pseudo;
    s.width = 160;
    s.height = 120;
    s.maxFps = 30;
    return s;
}

// The number written right after `key` at or after `from` in `text`, or -1.
inline int numberAfter(const std::string& text, const std::string& key, size_t from = 0) {
    const size_t at = text.find(key, from);
    if (at == std::string::npos) return -1;
    return atoi(text.c_str() + at + key.size());
}

// The last part of a process's output, for failure messages.
inline std::string tailOf(const LiveProcess& p, size_t bytes = 1500) {
    const auto end = [bytes](const std::string& s) {
        return s.substr(s.size() > bytes ? s.size() - bytes : 0);
    };
    return "\n--- stdout (end) ---\n" + end(p.output()) + "\n--- stderr (end) ---\n" +
           end(p.errors());
}

struct ToolResult {
    int status = -1; // exit code, -1 when it did not end in time
    std::string out;
};

// An Xvfb of the test's own, 640 x 480, and the X tools run against it.
class XDisplay {
  public:
    // False when the server did not come up.
    bool start() {
        if (!server_.start(findProgram("Xvfb"), {"-displayfd", "1", "-screen", "0", "640x480x24",
                                                 "-nolisten", "tcp", "-noreset"}))
            return false;
        if (!server_.waitFor("\n", STARTUP_MS)) return false;
        const int number = atoi(server_.output().c_str());
        name_ = ":" + std::to_string(number);
        return true;
    }
    const std::string& name() const { return name_; }

    // What the children need to draw here and to run without a sound card.
    std::vector<std::string> environment() const {
        return {"DISPLAY=" + name_, "SDL_AUDIODRIVER=dummy"};
    }

    ToolResult run(const std::string& tool, const std::vector<std::string>& args,
                   int ms = TOOL_MS) const {
        ToolResult r;
        LiveProcess p;
        if (!p.start(findProgram(tool), args, std::string(), environment())) return r;
        p.closeInput();
        if (p.waitExit(ms)) r.status = p.exitStatus();
        r.out = p.output();
        return r;
    }

  private:
    LiveProcess server_;
    std::string name_;
};

// One player: a game console in its own folder, with its window on the test's display.
class Player {
  public:
    Player(const XDisplay& x, const GameSettings& settings) : x_(x), folder_(settings) {}

    GameFolder& folder() { return folder_; }
    LiveProcess& process() { return process_; }
    std::string tail() const { return tailOf(process_); }
    size_t mark() const { return process_.outputSize(); }
    bool waitFor(const std::string& text, int ms, size_t from) {
        return process_.waitFor(text, ms, from);
    }

    // Starts the console and waits for its first prompt.
    bool launch() {
        if (!folder_.ok()) return false;
        if (!process_.start(BV_GAME_EXE, {}, folder_.path(), x_.environment())) return false;
        return process_.waitFor("\n>>>", STARTUP_MS);
    }

    // start, s, port, map: true once the window is up and the port is ours.
    bool host(int port, int map) {
        const size_t from = mark();
        send("start");
        send("s");
        send(std::to_string(port));
        send(std::to_string(map));
        return process_.waitFor(WINDOW_READY, STARTUP_MS, from) &&
               process_.find(BIND_FAILED, from) == std::string::npos;
    }

    // start, c, address, port: true once connected and the window is up.
    bool join(int port) {
        const size_t from = mark();
        send("start");
        send("c");
        send("127.0.0.1");
        send(std::to_string(port));
        return process_.waitFor("Connection Reussie\n", STARTUP_MS, from) &&
               process_.waitFor(WINDOW_READY, STARTUP_MS, from);
    }

    bool send(const std::string& line) { return process_.send(line); }

    // Types `line` at the prompt and waits for `expected` in what the console prints next.
    bool command(const std::string& line, const std::string& expected, int ms = REPLY_MS) {
        const size_t from = mark();
        return send(line) && process_.waitFor(expected, ms, from);
    }

    // The game window's id ("" when there is none within `ms`).
    std::string window(int ms = STARTUP_MS) {
        std::string id;
        within(ms, [&] { return !(id = windowNow()).empty(); });
        return id;
    }

    // True when the game window is gone within `ms`.
    bool windowGone(int ms) {
        return within(ms, [&] { return windowNow().empty(); });
    }

    // Keyboard input goes to this game's window from now on.
    bool focus() {
        const std::string id = window();
        return !id.empty() && xdo({"windowfocus", "--sync", id});
    }
    bool moveTo(int x, int y) {
        const std::string id = window();
        return !id.empty() && xdo({"windowmove", id, std::to_string(x), std::to_string(y)});
    }
    // Presses and releases keys (X key names: Return, F6, z...) in the focused window.
    bool key(const std::string& name) { return xdo({"key", "--delay", "60", name}); }
    bool type(const std::string& text) { return xdo({"type", "--delay", "60", text}); }
    bool holdKey(const std::string& name, int ms) {
        const bool down = xdo({"keydown", name});
        pause(ms);
        return xdo({"keyup", name}) && down;
    }

    // The window's pixels, 3 bytes each, row by row; empty when it could not be read.
    std::string pixels() {
        const std::string id = window();
        if (id.empty()) return std::string();
        const ToolResult r = x_.run("import", {"-window", id, "-depth", "8", "rgb:-"});
        return r.status == 0 ? r.out : std::string();
    }
    // The first grab with something drawn in it (the first frames come a moment after the
    // window opens); empty when the window stays black for `ms`.
    std::string drawnPixels(int ms = STARTUP_MS) {
        std::string p;
        return within(ms, [&] { return (p = pixels()).find_first_not_of('\0') != p.npos; })
                   ? p
                   : std::string();
    }
    bool screenshot(const std::string& file) {
        const std::string id = window();
        return !id.empty() && x_.run("import", {"-window", id, file}).status == 0;
    }

  private:
    bool xdo(const std::vector<std::string>& args) const {
        return x_.run("xdotool", args).status == 0;
    }
    std::string windowNow() const {
        const ToolResult r = x_.run("xdotool", {"search", "--pid", std::to_string(process_.pid())});
        return r.out.substr(0, r.out.find('\n'));
    }

    const XDisplay& x_;
    GameFolder folder_;
    LiveProcess process_;
};

// A headless player (tools/bot), run from a game folder so that it walks into the walls.
class Bot {
  public:
    bool start(const std::string& workDir, int port, const std::string& name,
               std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"127.0.0.1", std::to_string(port), "--name", name};
        args.insert(args.end(), options.begin(), options.end());
        return process_.start(BV_BINARY_DIR "/bot", args, workDir);
    }
    // Its player number once the host has welcomed it, or -1.
    int joined(int ms = STARTUP_MS) {
        if (!process_.waitFor("joined id=", ms)) return -1;
        if (!process_.waitFor("\n", ms, process_.find("joined id="))) return -1;
        return numberAfter(process_.output(), "joined id=");
    }
    bool saw(const std::string& record, int ms = REPLY_MS, size_t from = 0) {
        return process_.waitFor(record, ms, from);
    }
    LiveProcess& process() { return process_; }
    std::string tail() const { return tailOf(process_); }

  private:
    LiveProcess process_;
};

// Share of pixels that differ between two grabs of one window, in its central region
// (half the width and half the height), where the view of the world is and no HUD is.
inline double centreChange(const std::string& a, const std::string& b, int width, int height) {
    if (a.size() != b.size() || a.size() != static_cast<size_t>(width * height * 3)) return -1.0;
    int changed = 0, total = 0;
    for (int y = height / 4; y < height * 3 / 4; ++y)
        for (int x = width / 4; x < width * 3 / 4; ++x) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 3;
            ++total;
            if (a.compare(at, 3, b, at, 3) != 0) ++changed;
        }
    return static_cast<double>(changed) / total;
}

// A display of the test's own and a free port, for tests that start their own players.
class OnDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(x.start()) << "no X server";
        port = freePort();
        ASSERT_GT(port, 0);
    }
    static GameSettings named(const char* pseudo, int32_t colour = 0) {
        GameSettings s;
        s.pseudo = pseudo;
        s.colour = colour;
        return s;
    }
    XDisplay x;
    int port = -1;
};

// A game under way: a host and a client in small windows, and a headless bot that watches
// from inside (the client's name has reached it). The scene the fault tests then break.
class HostClientBot : public OnDisplay {
  protected:
    explicit HostClientBot(const char* clientName)
        : clientName_(clientName), client{x, smallWindow(clientName)} {}
    void SetUp() override {
        OnDisplay::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(host.launch()) << host.tail();
        ASSERT_TRUE(host.host(port, 1)) << host.tail();
        ASSERT_TRUE(client.launch()) << client.tail();
        ASSERT_TRUE(client.join(port)) << client.tail();
        ASSERT_TRUE(host.waitFor("Nouveau joueur id: 0", REPLY_MS, 0)) << host.tail();
        ASSERT_TRUE(bot.start(host.folder().path(), port, "temoin", {"--fps", "30"}));
        ASSERT_EQ(bot.joined(), 1) << bot.tail();
        ASSERT_TRUE(bot.saw("recv type=2 arg=0 text=" + clientName_)) << bot.tail();
    }

  private:
    std::string clientName_;

  protected:
    Player host{x, smallWindow("hote")};
    Player client;
    Bot bot;
};

} // namespace e2e
