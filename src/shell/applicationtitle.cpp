#include "shell/applicationtitle.h"

namespace tovrik::shell {

namespace {
QString &title() {
    static QString value = QString::fromUtf16(ProductName);
    return value;
}
} // namespace

QString ApplicationTitle() {
    return title();
}
void SetApplicationTitleText(const QString &text) {
    title() = text;
}

} // namespace tovrik::shell
