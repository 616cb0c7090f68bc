#pragma once

#include <sys/types.h>

namespace plinkora {

// Puts a thread of this process (tid, as gettid gives it) at real-time priority (SCHED_FIFO,
// priority or as much of it as the system grants), so that a busy machine does not starve the
// sound. Itself where the account may (RLIMIT_RTPRIO, or the privilege to ignore it); otherwise
// through rtkit, which desktops run to grant it to ordinary accounts. False, quietly, where
// neither does. May wait on the system's D-Bus for a short while: neither on the window thread
// nor on an audio thread.
bool RaiseThreadToRealtime(pid_t tid, int priority);

}  // namespace plinkora
