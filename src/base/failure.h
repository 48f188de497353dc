// How every step that can fail says so: what could not be done, naming the file, key or thing,
// and why, in the system's words or ours. Portable: the Windows side fills in the system's text.
#pragma once
#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace snarvik {

struct Failure {
    std::string what; // "Could not write "C:\Pictures\Pic1.BMP""
    std::string why;  // "There is not enough space on the disk"
    // The message for the user: "<what>:\n<why>."
    std::string Message() const;
};

// The failure of `what` that an exception tells: no memory for it, or the exception's own text.
Failure FailureOf(std::string what, const std::exception_ptr& error);

// A step that gives nothing back: nothing means done.
using Failed = std::optional<Failure>;

// A value, or what failed and why, or neither: nothing was done and nothing failed (a
// dialog the user cancelled).
template <typename T> class Result {
public:
    Result() = default;
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const noexcept { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const Failed& failure() const noexcept { return m_failure; }

private:
    std::optional<T> m_value;
    Failed m_failure;
};

} // namespace snarvik
