// The transport: one host and up to seven clients in a star over TCP, 64-byte frames,
// one receive queue per process read by the game thread alone.
#pragma once
#include <cstdint>

#include "platform/Socket.h"
#include "platform/Sync.h"

constexpr int32_t FRAME_SIZE = 64;
constexpr int32_t PAYLOAD_SIZE = 48;
constexpr int32_t QUEUE_SLOTS = 100;
constexpr int32_t HOST_SLOTS = 7;

// One frame as it travels (little-endian) and as the dispatcher gets it from the queue,
// where `sequence` holds the arrival order number instead.
struct Message {
    int32_t sequence;
    int32_t type;
    int32_t argument;
    int32_t reserved;
    uint8_t payload[PAYLOAD_SIZE];
};
static_assert(sizeof(Message) == FRAME_SIZE, "a frame is 64 bytes");

struct QueueSlot {
    int32_t order;
    int32_t type;
    int32_t argument;
    uint8_t payload[PAYLOAD_SIZE];
    platform::Event full;
};

struct Connexion {
    uint32_t threadId;
    platform::TcpSocket socket;
    platform::Event connected;
};

class Reseau {
public:
    QueueSlot queue[QUEUE_SLOTS];
    uint8_t host = 0;
    int32_t nextOrder = 0;
    int32_t lastSequence = 0;

    // Once per process. Host: 1, no socket, the port. Client: 0, the connected socket, -1.
    int32_t startNetwork(uint8_t isHost, platform::TcpSocket socket, int32_t port);
    // Into this process's own queue; nothing goes on the network.
    void post(int32_t type, int32_t argument, const void* payload);
    // peer 0..6: that client only (host only); any other value: everybody.
    void sendMessage(int32_t type, int32_t argument, const void* payload, int32_t peer);
    // 0 with the oldest queued message, 1 when the queue is empty. Game thread only.
    int32_t nextMessage(Message& out);

    // Internal steps, public for the threads and the tests.
    void enqueue(const Message& frame);
    void sendToAll(Message& frame);
    void sendToPeer(Message& frame, int32_t slot);
    int32_t nextSequence();
};
