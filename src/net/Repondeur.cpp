#include "net/Repondeur.h"

#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Thread.h"

int32_t Repondeur::start(uint16_t tcpPort, const char* pseudo, Vitrine& shown) {
    if (!ended.isSet()) return 1;
    const uint16_t port = discoverySettings().port;
    if (platform::openUdp(port, false, socket) != 0) {
        printf("Erreur: le port UDP %d est deja pris, la partie n'apparaitra pas dans cherche\n",
               port);
        return 1;
    }
    annonce = {};
    annonce.tcpPort = tcpPort;
    annonce.instance = platform::randomWord();
    snprintf(annonce.pseudo, sizeof annonce.pseudo, "%.*s", ANNOUNCED_PSEUDO_SIZE - 1, pseudo);
    vitrine = &shown;
    limiteur = Limiteur();
    stopping = false;
    ended.reset();
    if (platform::startThread(entry, this) != 0) {
        platform::closeSocket(socket);
        ended.set();
        return 1;
    }
    return 0;
}

void Repondeur::stop() {
    stopping = true;
    ended.wait(-1);
}

void Repondeur::entry(void* self) {
    Repondeur& r = *static_cast<Repondeur*>(self);
    r.answerProbes();
    platform::closeSocket(r.socket);
    r.ended.set();
}

void Repondeur::answerProbes() {
    uint8_t datagram[DISCOVERY_SIZE];
    while (!stopping) {
        platform::Adresse from;
        const int32_t length =
            platform::receiveDatagram(socket, datagram, DISCOVERY_SIZE, RESPONDER_POLL_MS, from);
        Annonce answer = annonce;
        if (parseProbe(datagram, length, answer.nonce) != 0 ||
            !vitrine->read(answer.mapName, answer.players) ||
            !allowAnswer(limiteur, from.ip, platform::ticks()))
            continue;
        encodeAnswer(datagram, answer);
        platform::sendDatagram(socket, datagram, DISCOVERY_SIZE, from);
    }
}
