#include "console/OptionsEditor.h"

#include <cstdio>
#include <cstring>

#include "console/Input.h"

// The "defaut" figures are the fixed defaults, not the current values.
int32_t editOptions(Options& o) {
    printf("Entrez la largeur de la fenetre (defaut=%d):", DEFAULT_WIDTH);
    readDecimal(o.width);
    printf("Entrez la hauteur de la fenetre (defaut=%d):", DEFAULT_HEIGHT);
    readDecimal(o.height);
    printf("Entrez le nombre d'images par secondes maximum (defaut=%d):", DEFAULT_MAX_FPS);
    readDecimal(o.maxFps);
    printf("Entrez la visibilite (defaut=%d):", DEFAULT_VISIBILITY);
    readDecimal(o.visibility);
    printf("Brouillard? (1=active 0=desactive):");
    readDecimal(o.fog);
    printf("Entrez la sensibilite verticale(defaut=%d):", DEFAULT_SENSITIVITY);
    readDecimal(o.verticalSensitivity);
    printf("Entrez la sensibilite horizontale(defaut=%d):", DEFAULT_SENSITIVITY);
    readDecimal(o.horizontalSensitivity);
    printf("Entrez la couleur de votre perso,\n"
           "(noir=0,rouge=1,bleu=2,vert=3,jaune=4,orange=5,violet=6,turquoise=7):");
    readDecimal(o.colour);
    printf("Voulez vous jouer le son des porte qui s'ouvre et qui se ferme?"
           "(1=active,0=desactive):");
    readDecimal(o.doorSounds);
    printf("Entrez votre pseudo:");
    // Writes the word and its zero like "%s" would, the bytes after it left as they were;
    // a longer word keeps its first 31 characters.
    char word[PSEUDO_SIZE];
    if (readWord(word, PSEUDO_SIZE) == 0) memcpy(o.pseudo, word, strlen(word) + 1);
    o.pseudo[PSEUDO_SIZE - 1] = '\0';
    printf("Les chargements prendrons effet au prochain redemarage\n");
    printf("Enregistrement des options\n");
    return saveOptions(o);
}
