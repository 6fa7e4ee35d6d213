#pragma once

// Passes through the message loop of the calling thread, for jobs that run on the window
// thread and yield to it now and then, and for pauses that take no input. Windows build only.

#ifdef _WIN32

#include <windows.h>

namespace mirune {

// One pass through the message loop: dispatches every message waiting for this thread
// (dialog keys go to their dialog). A WM_QUIT is posted again for the main loop to see.
void PumpPendingMessages();

// Dispatches only the paint messages of this thread's windows: input, timers and posted
// messages stay queued. The pauses that must not act on the user's input (the splash, the
// finished progress) call it so that their windows still repaint after an expose.
void DispatchPendingPaints();

// The same as PumpPendingMessages, waiting up to `max_wait_ms` for a message first when none is
// waiting. A pause that yields continually (the five seconds before each document) calls this
// rather than PumpPendingMessages, so it does not keep a processor busy while nothing happens.
void PumpMessagesWaiting(DWORD max_wait_ms);

}  // namespace mirune

#endif  // _WIN32
