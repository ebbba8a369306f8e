#pragma once

#include <QString>

#include <functional>

namespace tovrik::shell {

class Desktop;

// Where users send screenshots of an error report.
inline constexpr char16_t SupportAddress[] = u"support@quandrel.example";

// "in Tovrik2021/08/31.Form1.<handler> "
QString LocationLiteral(const QString &handler);

// The report text: description, CR LF, location, "at line ", the number,
// CR, CR, the request for a screenshot.
QString ErrorReportText(const QString &description, const QString &location, int line);

// Shows the report ("Application Error", warning icon) and waits for OK.
void ReportHandlerError(Desktop &desktop, const QString &location, int line,
                        const QString &description);

// The error report of one run of a reporting handler. A step that throws is
// abandoned, reported under the number of the last numbered step, and the
// handler goes on with its next step. A branch test that throws counts as
// true: the handler goes on inside the branch.
class HandlerSteps {
public:
    HandlerSteps(Desktop &desktop, const QString &handler);

    // A numbered step. Returns false when it failed (and was reported).
    bool step(int line, const std::function<void()> &body);
    // A step without a number of its own: it counts under the last number.
    bool more(const std::function<void()> &body);
    // A numbered branch test.
    bool test(int line, const std::function<bool()> &condition);

    int line() const { return m_line; }

private:
    bool run(const std::function<void()> &body);

    Desktop &m_desktop;
    QString m_location;
    int m_line = 0;
};

} // namespace tovrik::shell
