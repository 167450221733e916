#pragma once
// How a command waits without an event loop of its own: it is a coroutine (Job) that suspends at
// every wait (co_await on a Later) and is resumed by the event loop when the wait is over, so
// that the jobs of many ports share the program's one loop, each at its own pace.
//
//   Job run(DeviceSession& session)
//   {
//       sendReadBack(session.link(), false);
//       const auto outcome = co_await session.waitFor(done, progress);
//       co_return outcome == DeviceSession::Outcome::Done ? Success : NoAnswer;
//   }

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

namespace tq::cli {

// A value that comes later: start(deliver) begins what yields it, and deliver(value) is called
// once, from the event loop, never inside start. Or a value there already (now).
template <typename T>
class Later {
public:
    using Deliver = std::function<void(T)>;
    using Start = std::function<void(Deliver)>;

    explicit Later(Start start) : m_start(std::move(start)) {}
    static Later now(T value)
    {
        Later later(Start{});
        later.m_value = std::move(value);
        return later;
    }

    bool await_ready() const noexcept { return m_value.has_value(); }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_start([this, waiting](T value) {
            m_value = std::move(value);
            waiting.resume();
        });
    }
    T await_resume() { return std::move(*m_value); }

private:
    Start m_start;
    std::optional<T> m_value;
};

// A command's run: it starts when start() is called, runs until its first wait, and so on;
// finished(status) is called when it returns its exit status. The Job must outlive that call.
class Job {
public:
    struct promise_type {
        int status = 0;
        std::function<void(int)> finished;

        Job get_return_object() { return Job(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        auto final_suspend() noexcept
        {
            struct Report {
                bool await_ready() noexcept { return false; }
                void await_suspend(std::coroutine_handle<promise_type> h) noexcept
                {
                    if (h.promise().finished)
                        h.promise().finished(h.promise().status);
                }
                void await_resume() noexcept {}
            };
            return Report{};
        }
        void return_value(int s) { status = s; }
        void unhandled_exception() { std::terminate(); }
    };

    Job(Job&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Job& operator=(Job&&) = delete;
    ~Job()
    {
        if (m_handle)
            m_handle.destroy();
    }

    void start(std::function<void(int)> finished)
    {
        m_handle.promise().finished = std::move(finished);
        m_handle.resume();
    }

private:
    explicit Job(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    std::coroutine_handle<promise_type> m_handle;
};

}  // namespace tq::cli
