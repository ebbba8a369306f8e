#pragma once

#include <QString>

#include <exception>

namespace tovrik::shell {

// A step that cannot complete throws this; the handler's error report shows
// the description and goes on with the next step.
class Failure : public std::exception {
public:
    explicit Failure(QString description) : m_description(std::move(description)) {}
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return "tovrik::shell::Failure"; }

private:
    QString m_description;
};

} // namespace tovrik::shell
