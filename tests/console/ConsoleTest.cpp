// The game executable driven through its console: exact output for scripted sessions.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../support/OptionsBytes.h"
#include "../support/TempFolder.h"
#include "ConsoleTexts.h"

namespace {

using namespace consoletest;
using testsupport::optionsFile;

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

class ConsoleSession : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }
    std::string run(const std::string& input) { return runGame(folder.path(), input, 5000); }
    testsupport::TempFolder folder;
};

TEST_F(ConsoleSession, ScriptedSessionsPrintExactly) {
    std::string twentyArguments = "listemap";
    for (int i = 0; i < 20; ++i)
        twentyArguments += " 1";
    const std::string range = "Erreur: Le numero du joueur doit etre compris entre 0 et 6";
    const std::string notStarted = "Erreur: Impossible d'afficher la map\n"
                                   "L'initialisation du jeu n'a pas ete faite ou a echoue\n"
                                   "Tapez start pour lancer l'initialisation\n";
    const std::string missing = "Erreur lors du chargement du fichier: ";
    const struct {
        const char* maps; // "liste des maps.list", or none
        std::string input, output;
    } sessions[] = {
        {nullptr, "", P},
        {nullptr, "\n  \n\t\n", P},
        {nullptr, "quitter\naide\n", P}, // nothing after quitter is read
        {nullptr, "quitter", P},
        {nullptr, "aide\nquitter\n", P + HELP + P},
        {nullptr, "Aide\noptions\nbonjour\n", P + UNKNOWN + P + UNKNOWN + P + UNKNOWN + P},
        // The last command of an input without a final line break still runs.
        {nullptr, "aide", P + HELP + P},
        {nullptr, "expulse\nexpulse 7\nexpulse -1\nexpulse 0\nexpulse 6\n",
         P + range + P + range + P + range + P + P + P},
        {nullptr, "listemap\nlistetexture\n",
         P + missing + "\"liste des maps.list\"\n" + P + missing + "\"liste des textures.list\"\n" +
             P},
        {"<m>", twentyArguments + " aide\n", P + "m\n" + P + HELP + P},
        // "bonjour" is read as aide's argument, not as a command.
        {nullptr, "aide \nbonjour\n", P + HELP + P},
        {"<salle.map><tour.map>",
         "dire\nsalut tout le monde\nscore\nreset\nchargemap 1\nchargemap 2\nchargemap\n"
         "affichemap 0\n",
         P + "Votre texte:" + P + P + NOT_HOST + P + NOT_HOST + P + "Erreur: Map inexistante\n" +
             P + "Erreur: Map inexistante\n" + P + notStarted + P},
        // A chat line far over 47 characters: its rest never becomes commands.
        {nullptr, "dire\n" + repeat("aide ", 40) + "\naide\n", P + "Votre texte:" + P + HELP + P},
        // A 500-character word is one unknown command; as an argument it is one number.
        {"<m>", std::string(500, 'x') + "\nlistemap " + std::string(500, '9') + "\n",
         P + UNKNOWN + P + "m\n" + P},
        {nullptr, std::string(10000, 'y') + "\n", P + UNKNOWN + P},
        // aide takes 20 numbers; the 4980 left make commands of 21 words each: 237 full ones
        // and a last one of 3 words.
        {nullptr, "aide" + repeat(" 1", 5000) + "\n", P + HELP + P + repeat(UNKNOWN + P, 238)},
    };
    for (const auto& s : sessions) {
        SCOPED_TRACE(s.input.substr(0, 60));
        std::remove(folder.file("liste des maps.list").c_str());
        if (s.maps != nullptr) folder.write("liste des maps.list", s.maps);
        EXPECT_EQ(run(s.input), BANNER + s.output);
    }
}

TEST_F(ConsoleSession, ListsReadTheFilesAfresh) {
    folder.write("liste des maps.list", "maps:\n  <salle.map>  numero 0\n<tour.map>\n");
    folder.write("liste des textures.list", "<salle.list><tour.list>");
    EXPECT_EQ(run("listemap 3 4\nlistetexture\n"),
              BANNER + P + "salle.map\ntour.map\n" + P + "salle.list\ntour.list\n" + P);
    folder.write("liste des maps.list", "<a>");
    EXPECT_EQ(run("listemap\n"), BANNER + P + "a\n" + P);
}

TEST_F(ConsoleSession, OptionCommandsWriteTheFile) {
    EXPECT_EQ(run("option 1\n"), BANNER + P + "Chargement des options par defaut\n" +
                                     "Creation d'un nouveau fichier option\n" + P);
    EXPECT_EQ(folder.read("options"), optionsFile(testsupport::DEFAULT_OPTIONS, "noob"));

    const std::string nickname40 = "Abcdefghijklmnopqrstuvwxyz0123456789WXYZ";
    EXPECT_EQ(run("option\n800\n600\n120\n50\n0\n30\n40\n9\n1\n" + nickname40 + "\naide\n"),
              BANNER + P + EDITOR_PROMPTS + P + HELP + P);
    // Colour 9 is stored as typed, in the file's eighth integer.
    EXPECT_EQ(folder.read("options"),
              optionsFile({800, 600, 120, 50, 0, 30, 40, 9, 1, 1}, nickname40.substr(0, 31)));

    // A word for a number stays in the input: every numeric prompt fails at once, the pseudo
    // takes it.
    EXPECT_EQ(run("option 2\n1024 abc\naide\n"), BANNER + P + EDITOR_PROMPTS + P + HELP + P);
    EXPECT_EQ(folder.read("options"),
              optionsFile({1024, 480, 300, 100, 1, 100, 100, 0, 0, 1}, "abc"));
}

} // namespace
