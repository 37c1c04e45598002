// The tag syntax: list files, tag scanning with its messages, groups, settings and numbers.
#include "../support/StdoutCapture.h"
#include "kit/TempFolder.h"
#include "map/TagReader.h"

#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// The text in a heap block of exactly its size, so any read past the end is caught by ASan.
struct Data {
    explicit Data(const std::string& text)
        : bytes(new char[text.empty() ? 1 : text.size()]), size(int32_t(text.size())) {
        std::memcpy(bytes.get(), text.data(), text.size());
    }
    std::unique_ptr<char[]> bytes;
    int32_t size;
};

TEST(ListFile, EntriesAreTakenByteForByteWhateverStandsBetweenThem) {
    kit::TempFolder folder;
    std::string many;
    std::vector<std::string> first256;
    for (int i = 0; i < 300; ++i) {
        many += "<m" + std::to_string(i) + ">\n";
        if (i < 256) first256.push_back("m" + std::to_string(i));
    }
    const std::string x63(63, 'x'), y63(63, 'y');
    const struct {
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {"  <salle.map>    map 0\n\t<tour de garde\\b.map> x\n<>\n",
         {"salle.map", "tour de garde\\b.map", ""}},
        {many, first256}, // at most 256 entries
        // A long entry keeps 63 characters and the next is read normally; for exactly 63 the
        // '>' is the byte stepped over.
        {"<" + std::string(70, 'x') + ">\n<suite.map>\n<" + y63 + "><z>",
         {x63, "suite.map", y63, "z"}},
        {"<a.map> <b.m", {"a.map", "b.m"}}, // an unclosed entry runs to the end of the data
        {"rien ici\n", {}},
    };
    NameTable names;
    int32_t count = -1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        folder.write("a.list", c.bytes);
        ASSERT_EQ(readListFile(folder.file("a.list").c_str(), names, count), 0);
        ASSERT_EQ(count, int32_t(c.names.size()));
        for (int32_t i = 0; i < count; ++i)
            EXPECT_EQ(names[i], c.names[i]) << i;
    }
}

TEST(Tag, KindsPositionsAndMessages) {
    const std::string cut(31, 'a'), unknown = "Erreur balise \"";
    const struct {
        std::string text;
        int32_t kind;
        int32_t pos; // -1: not checked
        std::string printed;
    } cases[] = {
        {"texte libre <apparition> (1,1)", TAG_APPARITION, -1, ""},
        {"<plafon> (0)", TAG_PLAFON, -1, ""},
        {"<mur> (h,0,0,1)", TAG_MUR, -1, ""},
        {"<porte> (h,0,0,1)", TAG_PORTE, -1, ""},
        {"<teleporteur> (h,0,0,1)", TAG_TELEPORTEUR, -1, ""},
        {"<fin> et la suite", TAG_END, -1, ""},
        {"ab <caisse de soin> (4,4)", TAG_CAISSE_DE_SOIN, 18, ""}, // on the '>'
        {"<Mur> (h,1,2,3)(0,1)", TAG_ERROR, 4,
         "Erreur de syntaxe dans la balise \"\"\nCaractere incorrect:M\n" + unknown +
             "Mur\" inconnue\n"},
        {"<caisse  de soin> (4,4)", TAG_ERROR, -1, unknown + "caisse  de soin\" inconnue\n"},
        // Cut at 31 characters, stopping on the one after the 31st.
        {"<" + std::string(35, 'a') + "> (1,1) et encore", TAG_ERROR, 32,
         "Erreur de syntaxe:la balise \"" + cut + "\" est trop longue\n" + unknown + cut +
             "\" inconnue\n"},
        // No tag, or data too short, ends the scan silently.
        {"", TAG_END, -1, ""},
        {"<a", TAG_END, -1, ""},
        // A name reaching the last three bytes ('f' at index 8 = size - 3) ends silently.
        {"  <abcdefg>", TAG_END, 8, ""},
        {"<zzz>xy", TAG_END, -1, ""}, // the '>' of an unknown name in the last three bytes
        {"<zzz>xyz", TAG_ERROR, -1, unknown + "zzz\" inconnue\n"}, // one byte more: a real tag
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Data data(c.text);
        int32_t pos = 0, kind = -1;
        const std::string printed =
            kit::printedBy([&] { kind = nextTag(data.bytes.get(), pos, data.size); });
        EXPECT_EQ(std::make_tuple(printed, kind), std::make_tuple(c.printed, c.kind));
        EXPECT_EQ(c.pos < 0 ? -1 : pos, c.pos);
    }
}

TEST(Group, CodePositionSettingsOrientationAndValues) {
    constexpr int32_t X = INT32_MIN; // not checked
    constexpr int32_t MORE = MORE_GROUPS, END = END_OF_DATA;
    const std::string missing = "(5)(6,7) (8) ", later = "(4)[9]{8}(5) ";
    const struct {
        int32_t mode;
        std::string text;
        int32_t start;
        int32_t expected[8]; // code, pos, settings 0 and 1, orientation, values 0 to 2
    } cases[] = {
        // Values skip everything but digits.
        {1, "(12,x7)", 0, {MORE, 7, X, X, X, 12, 7, X}},
        {1, "(-5,) ", 0, {X, X, X, X, X, 5, 0, X}},
        // Extra values are free text; missing ones are read on, into the next group.
        {1, "(1,2,3) ", 0, {MORE, X, X, X, X, 1, 2, X}},
        {1, missing, 0, {MORE, 5, X, X, X, 5, 6, X}}, // on the ',' before the 7
        {2, "(h,1,2,3) ", 0, {MORE, X, X, X, 'h', 1, 2, 3}},
        {2, "(horizontal,1,2,3) ", 0, {MORE, X, X, X, 'h', 1, 2, 3}},
        {2, "  (1,2,3)", 1, {END, 1, X, X, X, X, X, X}}, // no letter
        {2, "(h)  ", 0, {END, 0, X, X, X, X, X, X}},     // no comma
        // Settings apply only before this call's group.
        {0, "[2]{3}(4)", 0, {X, X, 2, 3, X, 4, X, X}},
        {0, later, 0, {MORE, 2, 0, 1, X, X, X, X}},
        {0, later, 2, {X, X, 9, 8, X, 5, X, X}},
        // Ends at the next tag or at the end of the data.
        {0, "(4) [7] <mur> (h,1,1,2)", 0, {TAG_MUR, 12, 0, X, X, X, X, X}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " from " + std::to_string(c.start));
        const Data data(c.text);
        int32_t pos = c.start, settings[2] = {0, 1}, values[3] = {-1, -1, -1};
        char orientation = 0;
        const int32_t code =
            readGroup(c.mode, data.bytes.get(), pos, data.size, settings, orientation, values);
        const int32_t got[8] = {code,        pos,       settings[0], settings[1],
                                orientation, values[0], values[1],   values[2]};
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(c.expected[i] == X ? X : got[i], c.expected[i]) << "field " << i;
    }
}

TEST(Number, StopsLimitsAndSaturates) {
    using Reader = int32_t (*)(const char*, int32_t&, int32_t);
    const struct {
        Reader read;
        std::string text;
        int32_t value, pos; // pos -1: not checked
    } cases[] = {
        {readNumber, "(75", 7, 2}, // the last byte is not examined
        {readBracketNumber, "[1,2]x", 12, 4},
        {readBraceNumber, "{3)4}x", 34, -1},
        {readNumber, "(" + std::string(30, '0') + "12345)", 1, 32}, // 31 digits taken
        {readNumber, "(", 0, -1},
        {readNumber, "(2147483647)", 2147483647, -1},
        {readNumber, "(2147483648)", 2147483647, -1},
        {readNumber, "(9999999999999999999999999999999)", 2147483647, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Data data(c.text);
        int32_t pos = 0;
        EXPECT_EQ(c.read(data.bytes.get(), pos, data.size), c.value);
        EXPECT_EQ(c.pos < 0 ? -1 : pos, c.pos);
    }
}
