#include "session/ConnectionLock.h"

std::recursive_mutex& connectionLock()
{
    static std::recursive_mutex lock;
    return lock;
}
