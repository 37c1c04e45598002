// The transport: one host and up to seven clients in a star over TCP, 64-byte frames,
// one receive queue per process read by the game thread alone.
#pragma once
#include <atomic>
#include <cstdint>

#include "net/Decouverte.h"
#include "platform/Socket.h"
#include "platform/Sync.h"

constexpr int32_t FRAME_SIZE = 64;
constexpr int32_t PAYLOAD_SIZE = 48;
constexpr int32_t QUEUE_SLOTS = 100;
constexpr int32_t HOST_SLOTS = 7;
// A received frame with the same sequence word this many times in a row (a dead or
// closed connection reads as repeats) ends the connection.
constexpr int32_t MAX_REPEATS = 100;
// How long a post from a thread other than the game thread waits for room in a full queue
// before the message is dropped: if the game thread has gone, nobody will make room.
constexpr int32_t POST_WAIT_MS = 2000;
// How long a frame may wait for room in a peer's socket. A peer that reads nothing for
// that long (frozen, or its game gone) is cut off rather than freezing the sender's game.
constexpr int32_t SEND_LIMIT_MS = 3000;
// Frames that may wait in a peer's outbox while the game thread holds its sends.
constexpr int32_t OUTBOX_FRAMES = 16;
// How long stopNetwork waits for the transport's threads to end.
constexpr int32_t STOP_WAIT_MS = 5000;
// A connection the game has not recognised as a player this long after its welcome (counted
// while the game reads the queue) is closed: nobody holds a slot without playing.
constexpr int32_t ANNOUNCE_LIMIT_MS = 10000;
// A recognised player's connection that brings nothing for this long is closed: a live
// game sends its state twice a second.
constexpr int32_t SILENCE_LIMIT_MS = 60000;
// How often the accept thread looks for connections past those limits.
constexpr int32_t WATCH_PERIOD_MS = 500;

// The few message types the transport makes itself, and the host's player number, which it
// uses as their argument. The game's protocol numbers its own types around these.
constexpr int32_t NET_WELCOME = 0;    // host to a new client: f64 the client's slot number
constexpr int32_t NET_PEER_LEFT = 20; // host, to itself: the client of slot `argument` left
constexpr int32_t NET_HOST_LOST = 21; // client, to itself: the host's connection ended
constexpr int32_t NET_HOST_NUMBER = 7;

// One frame as it travels (little-endian) and as the dispatcher gets it from the queue,
// where `sequence` holds the arrival order number instead.
struct Message {
    int32_t sequence;
    int32_t type;
    int32_t argument;
    int32_t reserved; // sent as zero; from the queue: where it came from (below)
    uint8_t payload[PAYLOAD_SIZE];
};
static_assert(sizeof(Message) == FRAME_SIZE, "a frame is 64 bytes");
// From the queue, `reserved` holds the connection slot the frame arrived on (0..6 on the
// host; 0, the host, on a client) or FROM_THIS_PROCESS for a post, so that the dispatch
// can refuse what a peer may not send or may not say on another player's behalf.
constexpr int32_t FROM_THIS_PROCESS = -1;
// Host: set in `reserved` beside the slot when the transport relayed the frame to every
// client as it arrived (see relayOnReceipt); the dispatch acts on it without relaying it.
constexpr int32_t RELAYED_ON_RECEIPT = 0x100;
inline int32_t originOf(const Message& m) {
    return m.reserved == FROM_THIS_PROCESS ? FROM_THIS_PROCESS : m.reserved & 0xff;
}
inline bool wasRelayedOnReceipt(const Message& m) {
    return m.reserved != FROM_THIS_PROCESS && (m.reserved & RELAYED_ON_RECEIPT) != 0;
}
// Host: which frames the game lets the transport relay as they arrive. Asked on a receive
// thread, for frames from a peer the game has recognised, naming the connection slot.
using RelayRule = bool (*)(const Message& frame, int32_t slot);

// A queue slot is written only while `full` is clear and read only while it is set; the
// event's own lock orders the hand-over between a producer and the consumer.
struct QueueSlot {
    int32_t order;
    int32_t type;
    int32_t argument;
    int32_t origin; // connection slot (with RELAYED_ON_RECEIPT) or FROM_THIS_PROCESS
    uint8_t payload[PAYLOAD_SIZE];
    platform::Event full;
};

// One TCP connection: on the host slot i holds client (player) i; a client uses slot 0 for
// its host. `socket` changes only under the send lock, while `connected` is clear. The
// outbox holds frames not yet written, under the send lock; it is emptied whenever the
// socket changes, so a new peer never gets frames meant for the one before.
struct Connexion {
    platform::TcpSocket socket;
    platform::Event connected;
    uint8_t outbox[OUTBOX_FRAMES * FRAME_SIZE];
    int32_t outboxFrames = 0;
    // Host only, for the accept thread's watch: when the announce limit started counting,
    // when a frame last arrived, and whether the game has recognised the peer as a player.
    uint32_t welcomedAt = 0;
    std::atomic<uint32_t> lastHeard{0};
    std::atomic<bool> recognised{false};
    // Whether its frames may be relayed on receipt: from recognition until the game forgoes
    // them (a kicked player whose connection lingers).
    std::atomic<bool> relayable{false};
    // Order number of the first message this connection could have queued: anything queued
    // before it came from an earlier connection in the same slot. Under the queue lock.
    int32_t firstOrder = 0;
    // Frames of this connection queued to be relayed (if at all) by the game's dispatch and
    // not yet handled: while there are any, nothing of it may be relayed on receipt, or it
    // would overtake them. Under the queue lock.
    int32_t awaitingDispatch = 0;
};

class Reseau;

// What a receive thread is started with.
struct ReceiveParams {
    Connexion* connexion;
    Reseau* reseau;
    int32_t slot;
};

// What the accept thread is started with.
struct AcceptParams {
    int32_t port;
    Reseau* reseau;
};

// The connection table lives in the object rather than in static storage: the program
// has one transport, and each test gets a fresh one.
class Reseau {
  public:
    QueueSlot queue[QUEUE_SLOTS];
    uint8_t host = 0;
    int32_t nextOrder = 0;
    int32_t lastSequence = 0;
    // Host: what its game shows to discovery probes. Here because every hosting game,
    // windowed or not, reaches its transport; withdrawn when the game stops reading.
    Vitrine vitrine;

    Reseau() = default;
    Reseau(const Reseau&) = delete;
    Reseau& operator=(const Reseau&) = delete;
    // Ends the threads first: they point into this object.
    ~Reseau();

    // Host: 1, no socket, the port (0: any free port, see listeningPort). Client: 0, the
    // connected socket (the transport owns it from now on), -1. Returns 0.
    // Called again after a failed start: a host asking for the port it already listens on
    // keeps its listener and the clients that joined meanwhile; any other call ends the
    // running transport silently (no "left" messages), empties the queue and starts
    // afresh. Returns 1 only if the old threads would not end.
    int32_t startNetwork(uint8_t isHost, platform::TcpSocket socket, int32_t port);
    // Into this process's own queue; nothing goes on the network. 0 when queued. When the
    // queue is full the game thread cannot wait for itself, so its message is dropped at
    // once; other threads wait up to POST_WAIT_MS. A dropped message is reported on the
    // console and gives 1.
    int32_t post(int32_t type, int32_t argument, const void* payload);
    // peer 0..6: that client only (host only); any other value: everybody.
    void sendMessage(int32_t type, int32_t argument, const void* payload, int32_t peer);
    // Between these two, the frames this thread sends wait in each peer's outbox and leave
    // together at release (or when an outbox fills): the same bytes in the same order, one
    // system call per peer instead of one per frame. Frames from other threads still leave
    // at once, after whatever waits for the same peer. The game thread holds its sends for
    // one dispatch of messages, where a busy host relays dozens of frames.
    void holdSends();
    void releaseSends();
    // 0 with the oldest queued message, 1 when the queue is empty. Game thread only.
    int32_t nextMessage(Message& out);
    // Host: the game has taken the peer that sent `m` (a message from the queue) as a player,
    // so its connection is no longer held to ANNOUNCE_LIMIT_MS, only to SILENCE_LIMIT_MS.
    // Does nothing if that connection has ended since, even if another took its slot.
    void recognisePeer(const Message& m);
    // Host: from now on, a frame of a recognised peer for which `rule` holds is sent to every
    // client by its receive thread as soon as it arrives (unless earlier frames of that peer
    // still wait for the dispatch), then queued marked RELAYED_ON_RECEIPT. Null: none.
    void relayOnReceipt(RelayRule rule);
    // Host: the game no longer takes the peer in `slot` for a player (kicked): none of its
    // frames is relayed on receipt any more.
    void forgoRelays(int32_t slot);
    // The game has handled `m` (from the queue), relays included: a later frame of the same
    // connection may now be relayed on receipt.
    void handled(const Message& m);
    // The game thread has ended: nobody will read the queue again, so it is emptied and
    // whatever arrives or is posted from now on is dropped instead of waiting for room
    // (a waiting receive thread would let TCP back up and freeze the peers' games). The
    // game is no longer shown to discovery probes.
    void detachConsumer();

    // The port the host listens on, once the accept thread has bound it: waits up to
    // `waitMs`; -1 if not a host, not bound (yet) or the bind failed.
    int32_t listeningPort(int32_t waitMs);
    // Ends every transport thread and closes every socket, without any "left" message,
    // then empties the queue. 0 on success (the object may then be reused or destroyed),
    // 1 if a thread did not end within STOP_WAIT_MS.
    int32_t stopNetwork();

    // Internal steps, public for the threads and the tests.
    // Stores one frame received on connection `slot`, waiting for room while the queue is
    // full. 0 when stored, 1 when the transport is stopping.
    int32_t enqueue(const Message& frame, int32_t slot);
    void sendToAll(Message& frame);
    void sendToPeer(Message& frame, int32_t slot);
    int32_t nextSequence();

  private:
    Connexion connexions[HOST_SLOTS];
    ReceiveParams receiveParams[HOST_SLOTS] = {};
    AcceptParams acceptParams = {};

    // The five locks. Sending: send-entry, then send, then sequence. Posting: post, then
    // queue. Receive threads take the queue lock alone.
    platform::Lock queueLock;
    platform::Lock postLock;
    platform::Lock sequenceLock;
    platform::Lock sendLock;
    platform::Lock sendEntryLock;

    // Thread bookkeeping, taken alone: live thread count, listener, running state.
    platform::Lock threadLock;
    int32_t liveThreads = 0;
    platform::Event threadsEnded{true};
    bool running = false;
    bool accepting = false;
    platform::TcpSocket listener;
    int32_t boundPort = -1;
    platform::Event acceptReady;

    platform::Event closing;
    // Signalled when a queue slot may have been freed / a connection slot freed.
    platform::Event queueSpace;
    platform::Event slotFreed;
    // Identifies the thread that reads the queue (the address of a per-thread byte).
    std::atomic<const void*> consumer{nullptr};
    std::atomic<RelayRule> relayRule{nullptr};
    std::atomic<bool> consumerGone{false};

    static void acceptEntry(void* params);
    static void receiveEntry(void* params);
    void acceptLoop(int32_t port);
    void receiveLoop(Connexion& link, int32_t slot);

    bool keepsListening(uint8_t isHost, int32_t port);
    int32_t startCounted(void (*entry)(void*), void* params);
    void threadEnded();
    int32_t adoptListener(platform::TcpSocket server);
    void releaseListener();
    int32_t findFreeSlot(int32_t from);
    int32_t waitForFreeSlot(int32_t from);
    int32_t waitForClient(platform::TcpSocket server);
    void closeIdleConnections();
    int32_t admitClient(int32_t slot, platform::TcpSocket client);
    void closeLink(Connexion& link);
    void freeSlot(Connexion& link);
    void endConnection(Connexion& link);
    void wakeEveryone();
    void clearQueue();
    int32_t oldestFullSlot() const;
    int32_t storeFrame(const Message& frame, int32_t origin, platform::Event* freed);
    bool relayNow(Connexion& link, const Message& frame, int32_t slot);
    Connexion* sender(const Message& m);
    int32_t postWithin(const Message& frame, int32_t limitMs, platform::Event* freed = nullptr);
    void sendFrame(Connexion& link, const Message& frame);
    void flushOutbox(Connexion& link);
    // The thread whose sends wait (its thread mark), or none; under the send lock.
    const void* sendHolder = nullptr;
};
