#include "platform/GameFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Environment.h"
#include "platform/File.h"

// The share folder relative to the installed executable's folder (set by the build).
#ifndef BV_SHARE_FROM_BIN
#define BV_SHARE_FROM_BIN "../share/brumevoltigeante"
#endif

namespace platform {

namespace {

constexpr const char* GAME_NAME = "brumevoltigeante";
// Every game folder holds it: its presence tells the share folder from a stray one.
constexpr const char* MAP_LIST = "liste des maps.list";

bool installed = false;
char shippedFolder[PATH_MAX];
char userFolder[PATH_MAX];
char settingsFolder[PATH_MAX];

bool exists(const char* path) {
    return access(path, F_OK) == 0;
}

// "folder/name" into out; false, with out empty (a path nothing opens), when it does not fit.
bool join(const char* folder, const char* name, char* out, size_t outSize) {
    const int n = snprintf(out, outSize, "%s/%s", folder, name);
    if (n >= 0 && static_cast<size_t>(n) < outSize) return true;
    if (outSize > 0) out[0] = '\0';
    return false;
}

// $VARIABLE/brumevoltigeante, or ~/fallback/brumevoltigeante. A relative value is ignored:
// it would name a different folder from each working directory.
void xdgFolder(const char* variable, const char* fallback, char* out) {
    const char* base = environmentValue(variable);
    char home[PATH_MAX];
    if (base == nullptr || base[0] != '/') {
        const char* h = environmentValue("HOME");
        if (h == nullptr || h[0] == '\0') {
            const passwd* account = getpwuid(getuid());
            h = account != nullptr ? account->pw_dir : "";
        }
        join(h, fallback, home, sizeof home);
        base = home;
    }
    join(base, GAME_NAME, out, PATH_MAX);
}

// Creates each missing folder of `path`, private to the user as the XDG folders should be.
void makeFolders(const char* path) {
    char partial[PATH_MAX];
    snprintf(partial, sizeof partial, "%s", path);
    if (partial[0] == '\0') return;
    for (char* c = partial + 1;; ++c) {
        if (*c != '/' && *c != '\0') continue;
        const char kept = *c;
        *c = '\0';
        if (mkdir(partial, 0700) != 0 && errno != EEXIST) return;
        if (kept == '\0') return;
        *c = kept;
    }
}

} // namespace

void findGameFolders() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = '\0';
    char* slash = strrchr(exe, '/');
    if (slash == nullptr) return;
    *slash = '\0';
    char share[PATH_MAX], list[PATH_MAX];
    if (!join(exe, BV_SHARE_FROM_BIN, share, sizeof share) ||
        realpath(share, shippedFolder) == nullptr ||
        !join(shippedFolder, MAP_LIST, list, sizeof list) || !exists(list))
        return;
    xdgFolder("XDG_DATA_HOME", ".local/share", userFolder);
    xdgFolder("XDG_CONFIG_HOME", ".config", settingsFolder);
    installed = true;
}

void findDataFile(const char* name, char* out, size_t outSize) {
    char native[PATH_MAX];
    toNativePath(name, native, sizeof native);
    if (installed && native[0] != '/') {
        // A name the shipped folder holds means the shipped file, on every machine alike.
        if (join(shippedFolder, native, out, outSize) && exists(out)) return;
        char user[PATH_MAX];
        if (join(userFolder, native, user, sizeof user) && exists(user))
            snprintf(out, outSize, "%s", user);
        else
            join(shippedFolder, native, out, outSize);
        return;
    }
    snprintf(out, outSize, "%s", native);
}

int32_t findUserFile(const char* name, char* out, size_t outSize) {
    char native[PATH_MAX];
    toNativePath(name, native, sizeof native);
    return installed && join(userFolder, native, out, outSize) ? 0 : 1;
}

void findSettingsFile(const char* name, char* out, size_t outSize) {
    if (!installed) {
        snprintf(out, outSize, "%s", name);
        return;
    }
    makeFolders(settingsFolder);
    join(settingsFolder, name, out, outSize);
}

} // namespace platform
