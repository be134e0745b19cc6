#pragma once

#include <cstdint>

namespace krm::rgb {

// A blocking client socket to the server on this machine's loopback (the client's side of the tests and
// the benchmark). `receiveBuffer` > 0 makes the kernel keep little for it (a client that does not read
// shows soon). -1 when the connection failed.
int connectLoopback(std::uint16_t port, int receiveBuffer = 0);

} // namespace krm::rgb
