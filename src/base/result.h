#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace lyricue {

// The outcome of work that can fail: success, or the message for the user (in
// Japanese) saying what failed and why.
class [[nodiscard]] Result {
public:
    Result() = default;  // success

    static Result failure(QString message)
    {
        Result result;
        result.m_failed = true;
        result.m_errorString = std::move(message);
        return result;
    }

    bool ok() const { return !m_failed; }
    // Empty on success.
    const QString& errorString() const { return m_errorString; }

private:
    bool m_failed = false;
    QString m_errorString;
};

// A value, or the message saying why there is none.
template <typename T>
class [[nodiscard]] ResultOf {
public:
    ResultOf(T value) : m_value(std::move(value)) {}
    // From a failed Result; a successful one carries no value and must not be given.
    ResultOf(Result failure) : m_errorString(failure.errorString()) {}

    bool ok() const { return m_value.has_value(); }
    const QString& errorString() const { return m_errorString; }

    // Only when ok().
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }

private:
    std::optional<T> m_value;
    QString m_errorString;
};

}  // namespace lyricue
