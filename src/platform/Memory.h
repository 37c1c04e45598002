// How the process gets its memory from the system.
#pragma once

namespace platform {

// Keeps freed memory in the process for reuse instead of handing it back at once. The
// software renderer takes and frees large blocks for every draw that changes state (each
// glyph of a text line is one); given back each time, every block came back as fresh pages
// to fault in, and two lines of text cost more than the whole map in a small window.
// Called once at start-up, before any thread starts.
void keepFreedMemory();

} // namespace platform
