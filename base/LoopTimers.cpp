#include "base/LoopTimers.h"

#include <algorithm>

LoopTimers::LoopTimers(EventLoop& loop)
    : m_loop(loop)
    , m_token(std::make_shared<Token>())
{
}

LoopTimers::~LoopTimers()
{
    cancelAll();
    m_token->alive = false;
}

EventLoop::TimerId LoopTimers::start(std::chrono::milliseconds delay, std::function<void()> callback)
{
    auto id = std::make_shared<EventLoop::TimerId>(0);
    const EventLoop::TimerId started = m_loop.startTimer(delay, [this, id, callback = std::move(callback)] {
        // A timer that came due is no longer this owner's to cancel.
        std::erase(m_started, *id);
        callback();
    });
    *id = started;
    m_started.push_back(started);
    return started;
}

void LoopTimers::cancel(EventLoop::TimerId id)
{
    const auto found = std::find(m_started.begin(), m_started.end(), id);
    if (found == m_started.end())
        return;
    m_started.erase(found);
    m_loop.cancelTimer(id);
}

void LoopTimers::cancelAll()
{
    for (const EventLoop::TimerId id : m_started)
        m_loop.cancelTimer(id);
    m_started.clear();
    ++m_token->generation;
}

void LoopTimers::post(std::function<void()> callback)
{
    m_loop.post([token = std::weak_ptr<Token>(m_token), generation = m_token->generation.load(),
                  callback = std::move(callback)] {
        const std::shared_ptr<Token> owner = token.lock();
        if (owner && owner->alive && owner->generation == generation)
            callback();
    });
}
