// The host's main thread, as the background parts of the store know it: the thread that ran the
// module's start-up. Waits on that thread let the host process its messages; waits on any other
// thread only sleep.
//
// Thread-safety: the id is an atomic value; NoteHostThread runs in the start-up procedure.
#pragma once

namespace velmor {

// Records the calling thread as the host's main thread.
void NoteHostThread();
// Forgets it (shut-down), so no later wait pumps messages on a thread that is no longer the host's.
void ForgetHostThread();
// True on the recorded thread.
bool OnHostThread();
// Lets the host process its pending messages when called on its main thread; does nothing on
// any other thread.
void ProcessHostMessagesIfMain();

}  // namespace velmor
