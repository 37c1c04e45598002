// How the process asks for Mesa's software renderer, the one drawing where no GPU driver is.
#pragma once

namespace platform {

// Has the software renderer (llvmpipe) draw on the thread that calls OpenGL, without
// rasterising threads of its own, unless the user set LP_NUM_THREADS. With those threads,
// the renderer of Debian 12 (Mesa 22.3) now and then frees a fence that one of them still
// holds locked, and its unlock then writes into freed memory: a hosting game did so twice
// in five minutes, and the corrupted heap ends the process sooner or later. The renderer
// checks a fence's count without taking its lock, so no call order of ours (glFinish before
// the swap, sync objects holding each frame's fences) closes every window: a fence flushed
// inside a draw still goes (bench/fencewatch shows it). GPU drivers ignore the setting.
// Called at start-up, before any thread starts and any window opens.
void drawWithoutRendererThreads();

} // namespace platform
