#include "cli/TerminationSignals.h"

#include <signal.h>

#include <atomic>
#include <thread>

// The signals are blocked in every thread and taken by one thread of ours
// with sigwait, which calls back outside any signal handler.
struct TerminationSignals::State {
    sigset_t set{};
    std::thread waiter;
    std::atomic<bool> ending{false};
};

TerminationSignals::TerminationSignals(std::function<void(RunStatus)> received)
    : m_state(new State)
{
    sigemptyset(&m_state->set);
    sigaddset(&m_state->set, SIGINT);
    sigaddset(&m_state->set, SIGTERM);
    sigaddset(&m_state->set, SIGHUP);
    sigaddset(&m_state->set, SIGUSR2);  // our own wake-up at the end
    pthread_sigmask(SIG_BLOCK, &m_state->set, nullptr);
    m_state->waiter = std::thread([state = m_state, received = std::move(received)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&state->set, &signal) != 0)
                continue;
            if (state->ending)
                return;
            if (signal == SIGINT)
                received(RunStatus::Interrupted);
            else if (signal == SIGTERM || signal == SIGHUP)
                received(RunStatus::Terminated);
        }
    });
}

TerminationSignals::~TerminationSignals()
{
    m_state->ending = true;
    pthread_kill(m_state->waiter.native_handle(), SIGUSR2);
    m_state->waiter.join();
    delete m_state;
}
