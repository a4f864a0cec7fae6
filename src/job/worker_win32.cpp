#include <windows.h>

#include <pthread.h>

#include "job/worker.h"

namespace tessel {

// Network redirectors and some drivers give up a synchronous call when asked; a local disk
// that stopped answering ignores it, and the stop then waits for the call's return.
void CancelPendingCall(std::jthread& worker) {
    ::CancelSynchronousIo(pthread_gethandle(worker.native_handle()));
}

}  // namespace tessel
