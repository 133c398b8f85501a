#pragma once
// Dropping a table of many thousand texts costs as much as filling it: each
// text's count is touched and most blocks freed. Tables that a window
// replaces are handed here and dropped on a worker thread, so the window
// that replaces them shows without waiting. Texts are implicitly shared
// with atomic counts, so they may be released on any thread.

#include <functional>
#include <memory>
#include <utility>

namespace vb {

// Runs drop on the worker thread, in the order given.
void discardOnWorker(std::function<void()> drop);

// Takes value (leaving it empty) and destroys it on the worker thread.
template <class T> void discardInBackground(T &value)
{
    auto held = std::make_shared<T>(std::move(value));
    value = T();
    discardOnWorker([held]() mutable { held.reset(); });
}

// Waits until everything handed over so far is dropped.
void waitForDiscards();

} // namespace vb
