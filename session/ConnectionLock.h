#pragma once
#include <mutex>

// The one recursive lock shared by every connection window of the process. It
// serializes taking bytes from a receive queue, every write into a pane, opening
// and closing pane logs, and the whole decoding of a received frame. Recursive
// because the decoder writes to the panes while holding it.
std::recursive_mutex& connectionLock();
