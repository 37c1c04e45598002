// The answer limit of discovery: per sender, per second, for a bounded table of senders.
#include "net/Decouverte.h"

#include <gtest/gtest.h>
#include <cstdint>

TEST(Limiteur, AnswersEachSenderAFewTimesASecondAndAFewSendersAtOnce) {
    // From the start of the clock, and across its wrap after 49 days.
    for (const uint32_t start : {10u, 0xFFFFFF00u}) {
        Limiteur l;
        // Sender 1 uses its answers of the second that began at `start`; senders 2 to 16 fill
        // the table from `start` + 500.
        for (int32_t i = 0; i < ANSWERS_PER_SECOND; ++i)
            ASSERT_TRUE(allowAnswer(l, 1, start + static_cast<uint32_t>(i)));
        for (uint32_t ip = 2; ip <= LIMITED_SENDERS; ++ip)
            ASSERT_TRUE(allowAnswer(l, ip, start + 500));
        const struct {
            uint32_t ip, nowMs;
            bool answered;
        } probes[] = {
            {1, start + 999, false},  // its second is used up
            {2, start + 600, true},   // the others have theirs
            {17, start + 600, false}, // a newcomer finds no free entry
            {1, start + 1000, true},  // a new second for sender 1
            {17, start + 1010, false},
            {17, start + 1500, true}, // the second of senders 2..16 is over: an entry is free
            {18, start + 1500, true},
        };
        for (const auto& p : probes)
            EXPECT_EQ(allowAnswer(l, p.ip, p.nowMs), p.answered)
                << "start " << start << ", sender " << p.ip << " at +" << p.nowMs - start;
    }
}
