#pragma once

#include <cerrno>
#include <poll.h>

namespace tovrik::cli {

// A descriptor opened without blocking (one a parent shares, say) answers
// EAGAIN when it has nothing to give or no room yet: waits until it has, as
// a blocking one would have. False, with errno, when it cannot be waited for.
// (A fault of the descriptor itself shows at the retry.)
inline bool AwaitReady(int fd, short events) {
    pollfd watched{fd, events, 0};
    for (;;) {
        if (::poll(&watched, 1, -1) >= 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

inline bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace tovrik::cli
