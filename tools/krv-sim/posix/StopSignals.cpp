#include "tools/krv-sim/StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopFlag = 0;
volatile std::sig_atomic_t carrierDropFlag = 0;

void onStop(int)
{
    stopFlag = 1;
}

void onDrop(int)
{
    carrierDropFlag = 1;
}

}  // namespace

void installStopHandlers()
{
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = onStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = onDrop;
    sigaction(SIGUSR1, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested()
{
    return stopFlag != 0;
}

bool takeCarrierDropRequest()
{
    if (carrierDropFlag == 0) {
        return false;
    }
    carrierDropFlag = 0;
    return true;
}
