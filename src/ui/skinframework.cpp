#include "ui/skinframework.h"

#include "shell/failure.h"

#include <QFile>
#include <QStringDecoder>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

namespace {
[[noreturn]] void noSuchMember(int member) {
    throw shell::Failure(u"Object doesn't support this property or method (member "_s +
                         QString::number(member) + u')');
}
} // namespace

QVariant SkinFramework::get(int member) const {
    switch (member) {
    case 1:
        return m_options;
    case 5:
        return m_applyMetrics;
    case 10:
        return m_applyFrames;
    }
    noSuchMember(member);
}

void SkinFramework::set(int member, const QVariant &value) {
    switch (member) {
    case 1:
        m_options = value.toInt();
        return;
    case 5:
        m_applyMetrics = value.toBool();
        return;
    case 10:
        m_applyFrames = value.toBool();
        return;
    }
    noSuchMember(member);
}

QVariant SkinFramework::call(int member, const QVariantList &arguments) {
    switch (member) {
    case 2:
        if (arguments.size() != 2)
            throw shell::Failure(u"Wrong number of arguments or invalid property assignment"_s);
        loadSkin(arguments.at(0).toString());
        return true;
    case 3:
        if (arguments.size() != 1)
            throw shell::Failure(u"Wrong number of arguments or invalid property assignment"_s);
        applyWindow(arguments.at(0).value<QWidget *>());
        return {};
    }
    noSuchMember(member);
}

void SkinFramework::loadSkin(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::Failure(u"The skin file "_s + path + u" cannot be read: "_s +
                             file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw shell::Failure(u"The skin file "_s + path + u" cannot be read: "_s +
                             file.errorString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        throw shell::Failure(u"The skin file "_s + path + u" is not UTF-8 text"_s);
    const QString problem = StyleSheetProblem(text);
    if (!problem.isEmpty())
        throw shell::Failure(u"The skin file "_s + path + u" cannot be used: "_s + problem);
    m_styleSheet = text;
}

void SkinFramework::applyWindow(QWidget *window) const {
    if (!window)
        throw shell::Failure(u"Invalid procedure call or argument"_s);
    window->setStyleSheet(m_styleSheet);
}

QString StyleSheetProblem(const QString &text) {
    int depth = 0;
    bool selector = false; // something stands before the next "{"
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'/' && i + 1 < text.size() && text.at(i + 1) == u'*') {
            const qsizetype end = text.indexOf(u"*/"_s, i + 2);
            if (end < 0)
                return u"a comment is not closed"_s;
            i = end + 1;
        } else if (c == u'"' || c == u'\'') {
            qsizetype j = i + 1;
            while (j < text.size() && text.at(j) != c && text.at(j) != u'\n')
                j += text.at(j) == u'\\' ? 2 : 1;
            if (j >= text.size() || text.at(j) != c)
                return u"a string is not closed"_s;
            i = j;
            selector = true;
        } else if (c == u'{') {
            if (depth > 0)
                return u"a block is opened inside a block"_s;
            if (!selector)
                return u"a block has no selector"_s;
            ++depth;
            selector = false;
        } else if (c == u'}') {
            if (depth == 0)
                return u"a \"}\" closes no block"_s;
            --depth;
            selector = false;
        } else if (!c.isSpace() && depth == 0) {
            selector = true;
        }
    }
    if (depth > 0)
        return u"a block is not closed"_s;
    if (selector)
        return u"text stands after the last block"_s;
    return {};
}

} // namespace tovrik::ui
