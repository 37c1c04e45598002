// A host's answers to discovery probes, on a thread of their own, for as long as it hosts.
#pragma once
#include <atomic>
#include <cstdint>

#include "net/Decouverte.h"
#include "platform/Socket.h"
#include "platform/Sync.h"

// How often the responder's thread looks whether it must stop.
constexpr int32_t RESPONDER_POLL_MS = 200;

class Repondeur {
  public:
    Repondeur() = default;
    Repondeur(const Repondeur&) = delete;
    Repondeur& operator=(const Repondeur&) = delete;
    ~Repondeur() { stop(); }

    // Answers probes on the discovery port for a game whose host listens on `tcpPort` under
    // `pseudo`, with the map and players `vitrine` shows (no answer while it shows nothing).
    // `vitrine` must outlive the responder. 0, or 1 when the port cannot be bound (a message
    // says so) or the responder already runs.
    int32_t start(uint16_t tcpPort, const char* pseudo, Vitrine& vitrine);
    // Ends the thread and closes the port; at most RESPONDER_POLL_MS and a little more.
    void stop();

  private:
    platform::UdpSocket socket;
    Annonce annonce = {};
    Vitrine* vitrine = nullptr;
    Limiteur limiteur;
    std::atomic<bool> stopping{false};
    platform::Event ended{true};

    static void entry(void* self);
    void answerProbes();
};
