#include <windows.h>

#include <pthread.h>

#include "job/run_monitor.h"

namespace tessel {

// Network redirectors and some drivers give up a synchronous call when asked; a local disk
// that stopped answering ignores it, and the stopped worker then ends when the call returns,
// with nobody waiting for it.
void CancelPendingCall(std::jthread& worker) {
    ::CancelSynchronousIo(pthread_gethandle(worker.native_handle()));
}

}  // namespace tessel
