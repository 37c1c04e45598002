#include "net/Reseau.h"

#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Thread.h"

using platform::Guard;
using platform::TcpSocket;

namespace {

constexpr int32_t NO_LIMIT = -1;
constexpr int32_t LISTEN_BACKLOG = 7;
// Breathing room after a failed accept (out of descriptors, say), which would otherwise
// fail again at once.
constexpr uint32_t ACCEPT_RETRY_MS = 100;

// Its address tells one thread from another.
thread_local char threadMark;

int32_t addWrapping(int32_t value, int32_t step) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(step));
}

Message buildFrame(int32_t type, int32_t argument, const void* payload) {
    Message frame = {};
    frame.type = type;
    frame.argument = argument;
    if (payload != nullptr) memcpy(frame.payload, payload, PAYLOAD_SIZE);
    return frame;
}

} // namespace

Reseau::~Reseau() {
    stopNetwork();
}

int32_t Reseau::startNetwork(uint8_t isHost, TcpSocket socket, int32_t port) {
    if (running) {
        if (keepsListening(isHost, port)) return 0;
        if (stopNetwork() != 0) {
            printf("\nErreur: le reseau precedent ne s'arrete pas\n");
            platform::closeSocket(socket);
            return 1;
        }
    }
    host = isHost != 0 ? 1 : 0;
    nextOrder = 0;
    lastSequence = 0;
    clearQueue();
    {
        Guard g(sendLock);
        for (Connexion& link : connexions)
            link.outboxFrames = 0;
    }
    running = true;
    if (host != 0) {
        for (Connexion& link : connexions)
            link.connected.reset();
        acceptParams = {port, this};
        {
            Guard g(threadLock);
            accepting = true;
            boundPort = -1;
        }
        acceptReady.reset();
        if (startCounted(acceptEntry, &acceptParams) != 0) {
            Guard g(threadLock);
            accepting = false;
            acceptReady.set();
        }
        return 0;
    }
    Connexion& link = connexions[0];
    link.socket = socket;
    platform::setSendTimeout(socket, SEND_LIMIT_MS);
    link.connected.set();
    receiveParams[0] = {&link, this, 0};
    if (startCounted(receiveEntry, &receiveParams[0]) != 0) endConnection(link);
    return 0;
}

bool Reseau::keepsListening(uint8_t isHost, int32_t port) {
    Guard g(threadLock);
    return isHost == 1 && host == 1 && accepting && port == acceptParams.port;
}

int32_t Reseau::stopNetwork() {
    {
        Guard g(threadLock);
        if (!running) return 0;
        closing.set();
        platform::shutdownSocket(listener);
    }
    {
        Guard g(sendLock);
        for (const Connexion& link : connexions)
            platform::shutdownSocket(link.socket);
    }
    wakeEveryone();
    if (!threadsEnded.wait(STOP_WAIT_MS)) return 1;
    // The last thread signals under this lock: once we hold it, no thread touches us.
    Guard g(threadLock);
    clearQueue();
    nextOrder = 0;
    lastSequence = 0;
    consumer.store(nullptr);
    closing.reset();
    running = false;
    return 0;
}

void Reseau::wakeEveryone() {
    queueSpace.set();
    slotFreed.set();
}

void Reseau::clearQueue() {
    for (QueueSlot& slot : queue)
        slot.full.reset();
    Guard q(queueLock);
    for (Connexion& link : connexions)
        link.awaitingDispatch = 0;
}

int32_t Reseau::listeningPort(int32_t waitMs) {
    if (host != 1 || !acceptReady.wait(waitMs)) return -1;
    Guard g(threadLock);
    return boundPort;
}

int32_t Reseau::startCounted(void (*entry)(void*), void* params) {
    {
        Guard g(threadLock);
        if (liveThreads++ == 0) threadsEnded.reset();
    }
    if (platform::startThread(entry, params) == 0) return 0;
    threadEnded();
    return 1;
}

void Reseau::threadEnded() {
    Guard g(threadLock);
    if (--liveThreads == 0) threadsEnded.set();
}

void Reseau::acceptEntry(void* params) {
    const AcceptParams block = *static_cast<AcceptParams*>(params);
    block.reseau->acceptLoop(block.port);
    block.reseau->threadEnded();
}

void Reseau::receiveEntry(void* params) {
    const ReceiveParams block = *static_cast<ReceiveParams*>(params);
    block.reseau->receiveLoop(*block.connexion, block.slot);
    block.reseau->threadEnded();
}

void Reseau::acceptLoop(int32_t port) {
    TcpSocket server;
    if (platform::listenTcp(static_cast<uint16_t>(port & 0xFFFF), LISTEN_BACKLOG, server) != 0) {
        printf("\nErreur: bind a echoue, le port est probablement deja utilise\n");
        releaseListener();
        return;
    }
    if (adoptListener(server) != 0) return;
    int32_t slot = 0;
    for (;;) {
        platform::sleepMs(1);
        slot = waitForFreeSlot(slot);
        if (slot < 0 || waitForClient(server) != 0) break;
        const TcpSocket client = platform::acceptTcp(server);
        if (!client.valid()) {
            if (closing.isSet()) break;
            platform::sleepMs(ACCEPT_RETRY_MS);
            continue;
        }
        if (admitClient(slot, client) != 0) break;
    }
    releaseListener();
}

// Publishes the listener so that stopNetwork can wake a blocked accept.
int32_t Reseau::adoptListener(TcpSocket server) {
    bool adopted;
    {
        Guard g(threadLock);
        adopted = !closing.isSet();
        if (adopted) {
            listener = server;
            boundPort = platform::localPort(server);
        }
    }
    if (adopted) {
        acceptReady.set();
        return 0;
    }
    platform::closeSocket(server);
    releaseListener();
    return 1;
}

void Reseau::releaseListener() {
    {
        Guard g(threadLock);
        platform::closeSocket(listener);
        accepting = false;
    }
    acceptReady.set();
}

int32_t Reseau::findFreeSlot(int32_t from) {
    for (int32_t step = 0; step < HOST_SLOTS; ++step) {
        const int32_t slot = (from + step) % HOST_SLOTS;
        if (!connexions[slot].connected.isSet()) return slot;
    }
    return -1;
}

// With seven clients in, sleeps until a connection ends, watching the connections
// meanwhile. -1 when the transport stops.
int32_t Reseau::waitForFreeSlot(int32_t from) {
    for (;;) {
        closeIdleConnections();
        // Reset before looking, so a slot freed after the look still wakes us.
        slotFreed.reset();
        if (closing.isSet()) return -1;
        const int32_t slot = findFreeSlot(from);
        if (slot >= 0) return slot;
        slotFreed.wait(WATCH_PERIOD_MS);
    }
}

// Sleeps until a client knocks, watching the connections meanwhile. 0 when one knocks,
// 1 when the transport stops.
int32_t Reseau::waitForClient(TcpSocket server) {
    for (;;) {
        closeIdleConnections();
        if (closing.isSet()) return 1;
        if (platform::waitReadable(server, WATCH_PERIOD_MS) == 0) return 0;
    }
}

// Host: ends the connections that hold a slot without playing (never recognised as a player
// within ANNOUNCE_LIMIT_MS) or that went silent (SILENCE_LIMIT_MS). Their receive threads
// then end them as any other, and the game is told that the player left. The announce limit
// counts only while the game reads the queue: before that nobody could recognise anyone.
void Reseau::closeIdleConnections() {
    const bool gameReads = consumer.load() != nullptr;
    Guard g(sendLock);
    const uint32_t now = platform::ticks();
    for (Connexion& link : connexions) {
        if (!link.connected.isSet() || !link.socket.valid()) continue;
        // Signed: a receive thread may stamp a frame after `now` was read.
        int32_t quietFor;
        int32_t limit;
        if (link.recognised.load()) {
            quietFor = static_cast<int32_t>(now - link.lastHeard.load());
            limit = SILENCE_LIMIT_MS;
        } else {
            if (!gameReads) link.welcomedAt = now;
            quietFor = static_cast<int32_t>(now - link.welcomedAt);
            limit = ANNOUNCE_LIMIT_MS;
        }
        if (quietFor >= limit) platform::shutdownSocket(link.socket);
    }
}

int32_t Reseau::admitClient(int32_t slot, TcpSocket client) {
    Connexion& link = connexions[slot];
    {
        // Whatever this connection queues comes after this order number.
        Guard q(queueLock);
        link.firstOrder = nextOrder;
        link.awaitingDispatch = 0;
        link.recognised = false;
        link.relayable = false;
    }
    link.welcomedAt = platform::ticks();
    link.lastHeard = link.welcomedAt;
    {
        Guard g(sendLock);
        if (closing.isSet()) {
            platform::closeSocket(client);
            return 1;
        }
        link.socket = client;
        link.outboxFrames = 0;
        platform::setSendTimeout(client, SEND_LIMIT_MS);
        link.connected.set();
    }
    uint8_t payload[PAYLOAD_SIZE] = {};
    const double number = slot;
    memcpy(payload, &number, sizeof number);
    sendMessage(NET_WELCOME, NET_HOST_NUMBER, payload, slot);
    receiveParams[slot] = {&link, this, slot};
    if (startCounted(receiveEntry, &receiveParams[slot]) != 0) endConnection(link);
    return 0;
}

void Reseau::receiveLoop(Connexion& link, int32_t slot) {
    link.connected.set();
    const TcpSocket socket = link.socket;
    Message frame = {};
    Message incoming;
    int32_t remembered = 0;
    int32_t repeats = 0;
    bool silent = false;
    for (;;) {
        // A failed read leaves the previous frame in place: it counts as a repeat.
        if (platform::receiveExactly(socket, &incoming, FRAME_SIZE) == 0) {
            frame = incoming;
            link.lastHeard = platform::ticks();
        } else if (closing.isSet()) {
            silent = true;
            break;
        }
        if (frame.sequence == remembered) {
            if (++repeats > MAX_REPEATS) break;
            continue;
        }
        repeats = 0;
        remembered = frame.sequence;
        const bool relayed = relayNow(link, frame, slot);
        if (enqueue(frame, relayed ? slot | RELAYED_ON_RECEIPT : slot) != 0) {
            silent = true;
            break;
        }
    }
    closeLink(link);
    if (!silent) {
        const Message left = host == 1 ? buildFrame(NET_PEER_LEFT, slot, nullptr)
                                       : buildFrame(NET_HOST_LOST, NET_HOST_NUMBER, nullptr);
        // The slot frees as the message is queued: the next connection in it can only queue
        // after it, and whoever learns that the player left finds the slot free.
        postWithin(left, NO_LIMIT, &link.connected);
    }
    freeSlot(link);
}

// Nobody sends to the dead socket any more; the slot stays taken until freeSlot.
void Reseau::closeLink(Connexion& link) {
    Guard g(sendLock);
    link.outboxFrames = 0;
    platform::closeSocket(link.socket);
}

void Reseau::freeSlot(Connexion& link) {
    link.connected.reset();
    slotFreed.set();
}

void Reseau::endConnection(Connexion& link) {
    closeLink(link);
    freeSlot(link);
}

// One attempt under the queue lock. 0 when stored, 1 when every slot is full. `freed`, if
// given, is cleared before the message can be seen.
int32_t Reseau::storeFrame(const Message& frame, int32_t origin, platform::Event* freed) {
    Guard g(queueLock);
    if (consumerGone) {
        if (freed != nullptr) freed->reset();
        return 0; // nobody reads any more: dropped as if delivered
    }
    // Reset before looking, so a slot freed after the look still wakes the waiter.
    queueSpace.reset();
    int32_t slot = 0;
    while (slot < QUEUE_SLOTS && queue[slot].full.isSet())
        ++slot;
    if (slot == QUEUE_SLOTS) return 1;
    QueueSlot& entry = queue[slot];
    if (host == 1 && origin >= 0 && origin < HOST_SLOTS) ++connexions[origin].awaitingDispatch;
    entry.argument = frame.argument;
    entry.type = frame.type;
    entry.order = nextOrder;
    entry.origin = origin;
    memcpy(entry.payload, frame.payload, PAYLOAD_SIZE);
    if (freed != nullptr) freed->reset();
    entry.full.set();
    nextOrder = addWrapping(nextOrder, 1);
    // Another waiter may have been woken for the same freeing: pass the word on.
    for (int32_t other = slot + 1; other < QUEUE_SLOTS; ++other) {
        if (!queue[other].full.isSet()) {
            queueSpace.set();
            break;
        }
    }
    return 0;
}

int32_t Reseau::enqueue(const Message& frame, int32_t slot) {
    for (;;) {
        if (storeFrame(frame, slot, nullptr) == 0) return 0;
        if (closing.isSet()) return 1;
        queueSpace.wait(NO_LIMIT);
    }
}

int32_t Reseau::post(int32_t type, int32_t argument, const void* payload) {
    const bool byConsumer = consumer.load() == &threadMark;
    return postWithin(buildFrame(type, argument, payload), byConsumer ? 0 : POST_WAIT_MS);
}

int32_t Reseau::postWithin(const Message& frame, int32_t limitMs, platform::Event* freed) {
    const uint32_t start = platform::ticks();
    for (;;) {
        {
            Guard g(postLock);
            if (storeFrame(frame, FROM_THIS_PROCESS, freed) == 0) return 0;
        }
        if (closing.isSet()) return 1;
        int32_t remaining = NO_LIMIT;
        if (limitMs != NO_LIMIT) {
            remaining = limitMs - static_cast<int32_t>(platform::ticks() - start);
            if (remaining <= 0) break;
        }
        queueSpace.wait(remaining);
    }
    printf("\nFile des messages pleine: message %d perdu\n>>>", frame.type);
    return 1;
}

int32_t Reseau::oldestFullSlot() const {
    int32_t oldest = -1;
    for (int32_t slot = 0; slot < QUEUE_SLOTS; ++slot) {
        if (!queue[slot].full.isSet()) continue;
        if (oldest < 0 || queue[slot].order < queue[oldest].order) oldest = slot;
    }
    return oldest;
}

int32_t Reseau::nextMessage(Message& out) {
    consumer.store(&threadMark);
    if (oldestFullSlot() < 0) return 1;
    // Producers go on while we look: an older message may land in a slot already passed,
    // before a newer one lands further on. Whatever we saw first stays queued, so a second
    // look finds the true oldest: anything older than it was stored before that look began.
    const int32_t oldest = oldestFullSlot();
    QueueSlot& entry = queue[oldest];
    out.sequence = entry.order;
    out.type = entry.type;
    out.argument = entry.argument;
    out.reserved = entry.origin;
    memcpy(out.payload, entry.payload, PAYLOAD_SIZE);
    entry.full.reset();
    queueSpace.set();
    return 0;
}

// The connection now in the slot `m` came from, if it is the one that queued `m`; null
// when `m` was posted or queued before that connection was let in. Under the queue lock.
Connexion* Reseau::sender(const Message& m) {
    const int32_t slot = originOf(m);
    if (host != 1 || slot < 0 || slot >= HOST_SLOTS) return nullptr;
    Connexion& link = connexions[slot];
    return addWrapping(m.sequence, -link.firstOrder) >= 0 ? &link : nullptr;
}

void Reseau::recognisePeer(const Message& m) {
    Guard q(queueLock);
    Connexion* link = sender(m);
    if (link != nullptr) link->recognised = link->relayable = true;
}

void Reseau::forgoRelays(int32_t slot) {
    if (slot >= 0 && slot < HOST_SLOTS) connexions[slot].relayable = false;
}

void Reseau::relayOnReceipt(RelayRule rule) {
    relayRule = rule;
}

void Reseau::handled(const Message& m) {
    if (wasRelayedOnReceipt(m)) return;
    Guard q(queueLock);
    Connexion* link = sender(m);
    if (link != nullptr && link->awaitingDispatch > 0) --link->awaitingDispatch;
}

// Receive thread, host: relays the frame to every client at once when the game's rule lets
// it and nothing earlier of this connection still waits for the dispatch (only this thread
// adds to that count, so it cannot grow between the look and the send). True when sent.
bool Reseau::relayNow(Connexion& link, const Message& frame, int32_t slot) {
    const RelayRule rule = relayRule.load();
    if (host != 1 || rule == nullptr || !link.relayable.load() || !rule(frame, slot)) return false;
    {
        Guard q(queueLock);
        if (link.awaitingDispatch != 0) return false;
    }
    sendMessage(frame.type, frame.argument, frame.payload, -1);
    return true;
}

void Reseau::sendMessage(int32_t type, int32_t argument, const void* payload, int32_t peer) {
    Message frame = buildFrame(type, argument, payload);
    Guard g(sendEntryLock);
    if (peer >= 0 && peer < HOST_SLOTS) {
        sendToPeer(frame, peer);
    } else {
        sendToAll(frame);
    }
}

void Reseau::sendToAll(Message& frame) {
    Guard g(sendLock);
    frame.sequence = nextSequence();
    frame.reserved = 0;
    if (host != 1) {
        sendFrame(connexions[0], frame);
        return;
    }
    for (Connexion& link : connexions)
        sendFrame(link, frame);
}

void Reseau::sendToPeer(Message& frame, int32_t slot) {
    Guard g(sendLock);
    frame.sequence = nextSequence();
    frame.reserved = 0;
    if (host == 1 && slot >= 0 && slot < HOST_SLOTS) sendFrame(connexions[slot], frame);
}

void Reseau::holdSends() {
    Guard entry(sendEntryLock);
    Guard g(sendLock);
    sendHolder = &threadMark;
}

void Reseau::releaseSends() {
    Guard entry(sendEntryLock);
    Guard g(sendLock);
    sendHolder = nullptr;
    for (Connexion& link : connexions)
        flushOutbox(link);
}

// Under the send lock: the socket cannot change under us.
void Reseau::sendFrame(Connexion& link, const Message& frame) {
    if (!link.connected.isSet() || !link.socket.valid()) return;
    memcpy(link.outbox + link.outboxFrames * FRAME_SIZE, &frame, FRAME_SIZE);
    ++link.outboxFrames;
    if (sendHolder != &threadMark || link.outboxFrames == OUTBOX_FRAMES) flushOutbox(link);
}

// Under the send lock.
void Reseau::flushOutbox(Connexion& link) {
    const int32_t frames = link.outboxFrames;
    link.outboxFrames = 0;
    if (frames == 0 || !link.connected.isSet() || !link.socket.valid()) return;
    // Frames that cannot leave in time (or only partly: the stream is then broken) end the
    // connection; its receive thread then reports the player or the host as gone.
    if (platform::sendAll(link.socket, link.outbox, static_cast<size_t>(frames) * FRAME_SIZE) != 0)
        platform::shutdownSocket(link.socket);
}

void Reseau::detachConsumer() {
    {
        Guard g(queueLock);
        consumerGone = true;
    }
    relayRule = nullptr; // nor is anything relayed any more
    clearQueue();
    queueSpace.set();
    vitrine.withdraw();
}

int32_t Reseau::nextSequence() {
    Guard g(sequenceLock);
    const int32_t step = 1 + static_cast<int32_t>(platform::randomUpTo(100));
    lastSequence = addWrapping(lastSequence, step);
    return lastSequence;
}
