#include "shell/errorreport.h"

#include "shell/desktop.h"
#include "shell/failure.h"

#include <new>

using namespace Qt::StringLiterals;

namespace tovrik::shell {

QString LocationLiteral(const QString &handler) {
    return u"in Tovrik2021/08/31.Form1."_s + handler + u' ';
}

QString ErrorReportText(const QString &description, const QString &location, int line) {
    return description + u"\r\n"_s + location + u"at line "_s + QString::number(line) + u"\r\r"_s +
           u"Please email screenshot of this message to "_s + QString::fromUtf16(SupportAddress);
}

void ReportHandlerError(Desktop &desktop, const QString &location, int line,
                        const QString &description) {
    desktop.message(ErrorReportText(description, location, line), u"Application Error"_s,
                    MessageIcon::Warning);
}

HandlerSteps::HandlerSteps(Desktop &desktop, const QString &handler)
    : m_desktop(desktop), m_location(LocationLiteral(handler)) {}

bool HandlerSteps::step(int line, const std::function<void()> &body) {
    m_line = line;
    return run(body);
}

bool HandlerSteps::more(const std::function<void()> &body) {
    return run(body);
}

bool HandlerSteps::test(int line, const std::function<bool()> &condition) {
    bool result = true; // a failed test enters its branch
    step(line, [&] { result = condition(); });
    return result;
}

bool HandlerSteps::run(const std::function<void()> &body) {
    QString description;
    try {
        body();
        return true;
    } catch (const Failure &failure) {
        description = failure.description();
    } catch (const std::bad_alloc &) {
        description = u"Out of memory"_s;
    } catch (const std::exception &e) {
        description = QString::fromLocal8Bit(e.what());
    }
    ReportHandlerError(m_desktop, m_location, m_line, description);
    return false;
}

} // namespace tovrik::shell
