// Freed memory stays in the process: a block as large as the renderer's comes from the
// heap rather than its own mapping, and freeing it gives nothing back to the system, so the
// next one is not faulted in afresh.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/Memory.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BV_OWN_ALLOCATOR 1
#endif

TEST(Memory, FreedBlocksStayInTheProcess) {
#ifdef BV_OWN_ALLOCATOR
    GTEST_SKIP() << "a sanitizer's allocator replaces the C library's";
#endif
    platform::keepFreedMemory();
    constexpr size_t BLOCK = 4 << 20;
    const struct mallinfo2 before = mallinfo2();
    char* block = static_cast<char*>(malloc(BLOCK));
    ASSERT_NE(block, nullptr);
    memset(block, 1, BLOCK);
    EXPECT_EQ(mallinfo2().hblkhd, before.hblkhd) << "the block got a mapping of its own";
    const size_t heap = mallinfo2().arena;
    free(block);
    EXPECT_EQ(mallinfo2().arena, heap) << "freeing gave memory back";
}
