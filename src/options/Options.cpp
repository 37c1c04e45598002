#include "options/Options.h"

#include <cstdio>
#include <cstring>

#include "platform/GameFolders.h"

const char* const OPTIONS_FILE_NAME = "options";

namespace {

// The ten integers in the order the file holds them.
constexpr int32_t FILE_INTEGERS = 10;
constexpr int32_t SMOOTH_INDEX = 9;

void fieldsInFileOrder(Options& o, int32_t* fields[FILE_INTEGERS]) {
    int32_t* const order[FILE_INTEGERS] = {&o.width,
                                           &o.height,
                                           &o.maxFps,
                                           &o.visibility,
                                           &o.fog,
                                           &o.verticalSensitivity,
                                           &o.horizontalSensitivity,
                                           &o.colour,
                                           &o.doorSounds,
                                           &o.smoothRemotePlayers};
    for (int32_t i = 0; i < FILE_INTEGERS; ++i)
        fields[i] = order[i];
}

void valuesInFileOrder(const Options& o, int32_t values[FILE_INTEGERS]) {
    const int32_t order[FILE_INTEGERS] = {o.width,
                                          o.height,
                                          o.maxFps,
                                          o.visibility,
                                          o.fog,
                                          o.verticalSensitivity,
                                          o.horizontalSensitivity,
                                          o.colour,
                                          o.doorSounds,
                                          o.smoothRemotePlayers};
    for (int32_t i = 0; i < FILE_INTEGERS; ++i)
        values[i] = order[i];
}

// 0 when every integer and the pseudo were read.
int32_t readFields(platform::File& file, Options& o) {
    int32_t* fields[FILE_INTEGERS];
    fieldsInFileOrder(o, fields);
    for (int32_t i = 0; i < FILE_INTEGERS; ++i) {
        const int32_t failed = readInt32(file, *fields[i]);
        // Whatever a file says, remote players are always smoothed.
        if (i == SMOOTH_INDEX) o.smoothRemotePlayers = 1;
        if (failed) return 1;
    }
    if (file.read(o.pseudo, PSEUDO_SIZE) != size_t(PSEUDO_SIZE)) {
        printf("Erreur: fin de fichier inatendue\n");
        return 1;
    }
    // A foreign file may hold 32 bytes without a zero.
    o.pseudo[PSEUDO_SIZE - 1] = '\0';
    return 0;
}

} // namespace

int32_t readInt32(platform::File& file, int32_t& field) {
    unsigned char bytes[4];
    if (file.read(bytes, 4) != 4) {
        printf("Erreur: fin du fichier inatendue\n");
        return 1;
    }
    field = int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                    uint32_t(bytes[3]) << 24);
    return 0;
}

int32_t writeInt32(platform::File& file, int32_t value) {
    const uint32_t v = uint32_t(value);
    const unsigned char bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                    uint8_t(v >> 24)};
    if (file.write(bytes, 4) != 4) {
        printf("Erreur: Impossible d'ecrire dans le fichier options\n");
        return 1;
    }
    return 0;
}

int32_t loadOptions(Options& o) {
    printf("Chargement des options\n");
    platform::File file;
    char path[4096];
    platform::findSettingsFile(OPTIONS_FILE_NAME, path, sizeof path);
    if (file.openRead(path) != 0) {
        printf("Fichier option inexistant\n");
        return setDefaultOptions(o);
    }
    const int32_t failed = readFields(file, o);
    file.close();
    if (failed) {
        printf("Erreur lors du chargement des options\n");
        return setDefaultOptions(o);
    }
    return 0;
}

void fillDefaultOptions(Options& o) {
    o.width = DEFAULT_WIDTH;
    o.height = DEFAULT_HEIGHT;
    o.maxFps = DEFAULT_MAX_FPS;
    o.visibility = DEFAULT_VISIBILITY;
    o.fog = 1;
    o.verticalSensitivity = DEFAULT_SENSITIVITY;
    o.horizontalSensitivity = DEFAULT_SENSITIVITY;
    o.doorSounds = 0;
    o.smoothRemotePlayers = 1;
    memcpy(o.pseudo, "noob", 5);
    o.colour = 0;
}

int32_t setDefaultOptions(Options& o) {
    printf("Chargement des options par defaut\n");
    fillDefaultOptions(o);
    printf("Creation d'un nouveau fichier option\n");
    return saveOptions(o);
}

int32_t saveOptions(const Options& o) {
    platform::File file;
    char path[4096];
    platform::findSettingsFile(OPTIONS_FILE_NAME, path, sizeof path);
    if (file.createWrite(path) != 0) {
        printf("Erreur: impossible d'enregistrer les options\n");
        return 1;
    }
    int32_t values[FILE_INTEGERS];
    valuesInFileOrder(o, values);
    // A short write is reported and the next field is written all the same.
    for (int32_t i = 0; i < FILE_INTEGERS; ++i)
        writeInt32(file, values[i]);
    if (file.write(o.pseudo, PSEUDO_SIZE) != size_t(PSEUDO_SIZE))
        printf("Erreur: impossible d'\xE9"
               "crire dans le fichier option\n");
    file.close();
    return 0;
}
