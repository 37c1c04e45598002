// The game executable driven through its console: exact output for scripted sessions.
#include <gtest/gtest.h>

#include <string>

#include "../support/Process.h"
#include "../support/TempFolder.h"

namespace {

using testsupport::ProcessResult;
using testsupport::runProcess;
using testsupport::TempFolder;

const std::string BANNER = "################################################\n"
                           "# Brumevoltigeante 4 - Multijoueur             #\n"
                           "# par Vorpaxelle                               #\n"
                           "# tapez aide pour avoir la liste des commandes #\n"
                           "# tapez options avant de commencer             #\n"
                           "# ou start pour lancer le jeu                  #\n"
                           "################################################\n\n";
const std::string P = "\n>>>";
const std::string UNKNOWN = "Erreur: commande inconnue\n";
const std::string HELP = "\nLISTE DES COMMANDES:\n\n"
                         "affichemap N: affiche les caract\xE9"
                         "ristique d'une map\n"
                         "aide: affiche la liste des commande\n"
                         "chargemap N: charge la map N\n"
                         "dire: permet d'envoyer un message au autres joueur\n"
                         "expulse N: expulse le joueur N\n"
                         "listemap: affiche la liste des map\n"
                         "listetexture: affiche la liste des textures\n"
                         "option N: permet de regler les options, N=1: options par defaut\n"
                         "quitter: ferme le programme\n"
                         "reset: remet le score a 0\n"
                         "score: affiche le score\n"
                         "start: lance le jeu\n"
                         "\nCOMMANDES:\n"
                         "Z=Avancer\nS=Reculer\nQ=Aller a gauche\nD=Aller a droite\n"
                         "F1/TAB=Afficher le score\nF2/Esc=Debloquer la souris\n"
                         "Entrer=Parler\nF6=Quitter\nClick gauche=Tirer\n\n";
const std::string EDITOR_PROMPTS =
    "Entrez la largeur de la fenetre (defaut=640):"
    "Entrez la hauteur de la fenetre (defaut=480):"
    "Entrez le nombre d'images par secondes maximum (defaut=300):"
    "Entrez la visibilite (defaut=100):"
    "Brouillard? (1=active 0=desactive):"
    "Entrez la sensibilite verticale(defaut=100):"
    "Entrez la sensibilite horizontale(defaut=100):"
    "Entrez la couleur de votre perso,\n"
    "(noir=0,rouge=1,bleu=2,vert=3,jaune=4,orange=5,violet=6,turquoise=7):"
    "Voulez vous jouer le son des porte qui s'ouvre et qui se ferme?(1=active,0=desactive):"
    "Entrez votre pseudo:"
    "Les chargements prendrons effet au prochain redemarage\n"
    "Enregistrement des options\n";
const std::string NOT_HOST = "Erreur: vous n'etes pas le serveur\n";

std::string le32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return std::string{char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

std::string optionsFile(const int32_t (&values)[10], const std::string& pseudo) {
    std::string bytes;
    for (int32_t v : values)
        bytes += le32(v);
    std::string field = pseudo;
    field.resize(32, '\0');
    return bytes + field;
}

std::string repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

class ConsoleSession : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }
    // Runs the game with `input`; a clean end with status 0 is expected of every session.
    std::string run(const std::string& input) {
        const ProcessResult r = runProcess(BV_GAME_EXE, input, folder.path(), 5000);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitStatus, 0);
        return r.output;
    }
    TempFolder folder;
};

TEST_F(ConsoleSession, BannerPromptAndEndOfInput) {
    EXPECT_EQ(run(""), BANNER + P);
    EXPECT_EQ(run("\n  \n\t\n"), BANNER + P);
    // Nothing after quitter is read.
    EXPECT_EQ(run("quitter\naide\n"), BANNER + P);
    EXPECT_EQ(run("quitter"), BANNER + P);
}

TEST_F(ConsoleSession, HelpAndUnknownWords) {
    EXPECT_EQ(run("aide\nquitter\n"), BANNER + P + HELP + P);
    EXPECT_EQ(run("Aide\noptions\nbonjour\n"),
              BANNER + P + UNKNOWN + P + UNKNOWN + P + UNKNOWN + P);
    // The last command of an input without a final line break still runs.
    EXPECT_EQ(run("aide"), BANNER + P + HELP + P);
}

TEST_F(ConsoleSession, KickNumberIsCheckedFirst) {
    const std::string range = "Erreur: Le numero du joueur doit etre compris entre 0 et 6";
    EXPECT_EQ(run("expulse\nexpulse 7\nexpulse -1\nexpulse 0\nexpulse 6\n"),
              BANNER + P + range + P + range + P + range + P + P + P);
}

TEST_F(ConsoleSession, ListsReadTheFilesAfresh) {
    folder.write("liste des maps.list", "maps:\n  <salle.map>  numero 0\n<tour.map>\n");
    folder.write("liste des textures.list", "<salle.list><tour.list>");
    const std::string before = run("listemap 3 4\nlistetexture\n");
    EXPECT_EQ(before, BANNER + P + "salle.map\ntour.map\n" + P + "salle.list\ntour.list\n" + P);
    folder.write("liste des maps.list", "<a>");
    EXPECT_EQ(run("listemap\n"), BANNER + P + "a\n" + P);
}

TEST_F(ConsoleSession, MissingListFilesPrintTheReadersMessage) {
    EXPECT_EQ(run("listemap\nlistetexture\n"),
              BANNER + P + "Erreur lors du chargement du fichier: \"liste des maps.list\"\n" + P +
                  "Erreur lors du chargement du fichier: \"liste des textures.list\"\n" + P);
}

TEST_F(ConsoleSession, OptionOneWritesTheDefaults) {
    EXPECT_EQ(run("option 1\n"), BANNER + P + "Chargement des options par defaut\n" +
                                     "Creation d'un nouveau fichier option\n" + P);
    EXPECT_EQ(folder.read("options"),
              optionsFile({640, 480, 300, 100, 1, 100, 100, 0, 0, 1}, "noob"));
}

TEST_F(ConsoleSession, EditorStoresEveryAnswer) {
    const std::string nickname40 = "Abcdefghijklmnopqrstuvwxyz0123456789WXYZ";
    ASSERT_EQ(nickname40.size(), 40u);
    EXPECT_EQ(run("option\n800\n600\n120\n50\n0\n30\n40\n9\n1\n" + nickname40 + "\naide\n"),
              BANNER + P + EDITOR_PROMPTS + P + HELP + P);
    // Colour 9 is stored as typed, in the file's eighth integer.
    EXPECT_EQ(folder.read("options"),
              optionsFile({800, 600, 120, 50, 0, 30, 40, 9, 1, 1}, nickname40.substr(0, 31)));
}

TEST_F(ConsoleSession, EditorWithAWordForANumber) {
    // The word stays in the input: every numeric prompt fails at once, the pseudo takes it.
    EXPECT_EQ(run("option 2\n1024 abc\naide\n"), BANNER + P + EDITOR_PROMPTS + P + HELP + P);
    EXPECT_EQ(folder.read("options"),
              optionsFile({1024, 480, 300, 100, 1, 100, 100, 0, 0, 1}, "abc"));
}

TEST_F(ConsoleSession, TwentyArgumentsThenTheNextCommand) {
    folder.write("liste des maps.list", "<m>");
    std::string line = "listemap";
    for (int i = 0; i < 20; ++i)
        line += " 1";
    EXPECT_EQ(run(line + " aide\n"), BANNER + P + "m\n" + P + HELP + P);
}

TEST_F(ConsoleSession, TrailingSpaceWaitsForAWordOnTheNextLine) {
    // "bonjour" is read as aide's argument, not as a command.
    EXPECT_EQ(run("aide \nbonjour\n"), BANNER + P + HELP + P);
}

TEST_F(ConsoleSession, HostCommandsBeforeStart) {
    folder.write("liste des maps.list", "<salle.map><tour.map>");
    const std::string notStarted = "Erreur: Impossible d'afficher la map\n"
                                   "L'initialisation du jeu n'a pas ete faite ou a echoue\n"
                                   "Tapez start pour lancer l'initialisation\n";
    EXPECT_EQ(run("dire\nsalut tout le monde\nscore\nreset\nchargemap 1\nchargemap 2\n"
                  "chargemap\naffichemap 0\n"),
              BANNER + P + "Votre texte:" + P + P + NOT_HOST + P + NOT_HOST + P +
                  "Erreur: Map inexistante\n" + P + "Erreur: Map inexistante\n" + P + notStarted +
                  P);
}

TEST_F(ConsoleSession, OverLongInputIsCutNotSpilled) {
    // A chat line far over 47 characters: its rest never becomes commands.
    EXPECT_EQ(run("dire\n" + repeat("aide ", 40) + "\naide\n"),
              BANNER + P + "Votre texte:" + P + HELP + P);
    // A 500-character word is one unknown command; as an argument it is one number.
    folder.write("liste des maps.list", "<m>");
    EXPECT_EQ(run(std::string(500, 'x') + "\nlistemap " + std::string(500, '9') + "\n"),
              BANNER + P + UNKNOWN + P + "m\n" + P);
    EXPECT_EQ(run(std::string(10000, 'y') + "\n"), BANNER + P + UNKNOWN + P);
}

TEST_F(ConsoleSession, TenKilobyteLineOfWords) {
    // aide takes 20 numbers; the 4980 left make commands of 21 words each: 237 full ones and
    // a last one of 3 words.
    const std::string out = run("aide" + repeat(" 1", 5000) + "\n");
    EXPECT_EQ(out, BANNER + P + HELP + P + repeat(UNKNOWN + P, 238));
}

} // namespace
