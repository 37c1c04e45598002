#include "console/Help.h"

#include <cstdio>

void showBanner() {
    printf("################################################\n");
    printf("# Brumevoltigeante 4 - Multijoueur             #\n");
    printf("# par Vorpaxelle                               #\n");
    printf("# tapez aide pour avoir la liste des commandes #\n");
    printf("# tapez options avant de commencer             #\n");
    printf("# ou start pour lancer le jeu                  #\n");
    printf("################################################\n\n");
}

void showHelp() {
    printf("\n");
    printf("LISTE DES COMMANDES:\n");
    printf("\n");
    printf("affichemap N: affiche les caract\xE9"
           "ristique d'une map\n");
    printf("aide: affiche la liste des commande\n");
    printf("chargemap N: charge la map N\n");
    printf("cherche: cherche les parties du reseau local\n");
    printf("dire: permet d'envoyer un message au autres joueur\n");
    printf("expulse N: expulse le joueur N\n");
    printf("listemap: affiche la liste des map\n");
    printf("listetexture: affiche la liste des textures\n");
    printf("option N: permet de regler les options, N=1: options par defaut\n");
    printf("quitter: ferme le programme\n");
    printf("rejoindre N: rejoint la partie N de la derniere recherche\n");
    printf("reset: remet le score a 0\n");
    printf("score: affiche le score\n");
    printf("start: lance le jeu\n");
    printf("\n");
    printf("COMMANDES:\n");
    printf("Z=Avancer\n");
    printf("S=Reculer\n");
    printf("Q=Aller a gauche\n");
    printf("D=Aller a droite\n");
    printf("F1/TAB=Afficher le score\n");
    printf("F2/Esc=Debloquer la souris\n");
    printf("Entrer=Parler\n");
    printf("F6=Quitter\n");
    printf("Click gauche=Tirer\n");
    printf("\n");
}
