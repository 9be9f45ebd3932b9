#pragma once
// Work that waits on the server's disk rather than on this computer (copying
// or dropping whole databases) goes faster side by side: each piece runs on a
// thread of its own, with connections of its own, while the calling thread
// keeps its windows painted.
#include <exception>
#include <functional>
#include <future>
#include <vector>

namespace ncc {

// Runs every task at once, each on a thread of its own, and returns when all
// have ended, yielding to the event loop meanwhile. The result holds, task
// by task, what it threw (null when it ended well): nothing a task throws
// escapes here. A task must open whatever connections it uses itself (a
// connection belongs to the thread that opened it) and must not show
// messages. A task that gets no thread runs here, in its turn.
std::vector<std::exception_ptr> enParalelo(const std::vector<std::function<void()>>& tareas);

// One task started on a thread of its own while the caller goes on with its
// own work; esperar() waits for it (yielding to the event loop meanwhile) and
// gives what it threw. The same rules as above; when no thread can be
// started, the task runs in esperar(). Destroying it waits too.
class EnMarchaAparte {
public:
    explicit EnMarchaAparte(std::function<void()> tarea);
    EnMarchaAparte(const EnMarchaAparte&) = delete;
    EnMarchaAparte& operator=(const EnMarchaAparte&) = delete;
    ~EnMarchaAparte();
    std::exception_ptr esperar();
    // Before esperar(): whether the task got a thread of its own (otherwise it
    // waits for esperar() to run it).
    bool aparte() const { return enMarcha_.valid(); }

private:
    std::function<void()> tarea_;
    std::future<std::exception_ptr> enMarcha_;
    bool esperada_ = false;
};

}  // namespace ncc
