#pragma once

#include <cerrno>
#include <poll.h>

namespace tovrik::cli {

// A descriptor opened without blocking (one a parent shares, say) answers
// EAGAIN when it has nothing to give or no room yet: waits until it has, as
// a blocking one would have. (A fault of the descriptor shows at the retry.)
inline void AwaitReady(int fd, short events) {
    pollfd watched{fd, events, 0};
    while (::poll(&watched, 1, -1) < 0 && errno == EINTR) {
    }
}

inline bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace tovrik::cli
