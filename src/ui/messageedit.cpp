#include "ui/messageedit.h"

#include "ui/accessiblefactory.h"
#include "ui/textaccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRawFont>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using namespace Qt::StringLiterals;

namespace tovrik::ui {

namespace {

// Space between the frame and the text, as in the stock edits.
constexpr int Margin = 4;
constexpr qreal TabStop = 80; // QTextOption's default
constexpr char16_t LineSeparator = 0x2028;

// Every way a line break can arrive becomes one line feed.
QString normalized(QString text) {
    if (text.contains(u'\r')) {
        text.replace(u"\r\n"_s, u"\n"_s);
        text.replace(u'\r', u'\n');
    }
    text.replace(QChar(QChar::ParagraphSeparator), u'\n');
    return text;
}

// Where a line may end: after a blank. No-break spaces hold their words.
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x1680 || (c >= 0x2000 && c <= 0x200A && c != 0x2007) ||
           c == 0x205F || c == 0x3000;
}

bool endsLine(QChar c) {
    return c == u'\n' || c.unicode() == LineSeparator;
}

// The accessible view of the box: its text, cursor and selection, and edits.
class MessageEditAccessible : public EditableTextAccessible {
public:
    explicit MessageEditAccessible(MessageEdit *edit) : EditableTextAccessible(edit) {}

    MessageEdit *edit() const { return static_cast<MessageEdit *>(widget()); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTextInterface
    void selection(int index, int *start, int *end) const override {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelection()) {
            *start = int(edit()->selectionStart());
            *end = int(edit()->selectionEnd());
        }
    }
    int selectionCount() const override { return edit()->hasSelection() ? 1 : 0; }
    void removeSelection(int) override { edit()->setCursorPosition(edit()->cursorPosition()); }
    void setSelection(int, int start, int end) override {
        edit()->setCursorPosition(start);
        edit()->setCursorPosition(end, true);
    }
    int cursorPosition() const override { return int(edit()->cursorPosition()); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        return edit()->text().mid(start, qMax(0, end - start));
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QRect characterRect(int offset) const override {
        const QRect r = edit()->glyphRect(offset);
        return r.isEmpty() ? r : r.translated(edit()->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint &point) const override {
        return int(edit()->positionAt(edit()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
    // A line is a line as the box shows it, from its start to the next
    // line's (its blanks and line feed with it); other boundaries are Qt's,
    // less its loop at the end of the text.
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textBeforeOffset(offset, type, startOffset, endOffset);
        return line(lineAt(offset) - 1, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override {
        if (type != QAccessible::LineBoundary)
            return TextAtOffset(*this, offset, type, startOffset, endOffset);
        return line(lineAt(offset), startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override {
        if (type != QAccessible::LineBoundary)
            return TextAfterOffset(*this, offset, type, startOffset, endOffset);
        return line(lineAt(offset) + 1, startOffset, endOffset);
    }

    // QAccessibleEditableTextInterface
    void replaceText(int startOffset, int endOffset, const QString &text) override {
        edit()->setCursorPosition(startOffset);
        edit()->setCursorPosition(endOffset, true);
        edit()->insertPlainText(text);
    }

private:
    int lineAt(int offset) const { return edit()->lineOf(qBound(0, offset, characterCount())); }
    // The text of a visual line; none, at offsets -1, where there is none.
    QString line(int index, int *startOffset, int *endOffset) const {
        const MessageEdit *box = edit();
        if (index < 0 || index >= box->lineCount()) {
            *startOffset = *endOffset = -1;
            return {};
        }
        *startOffset = int(box->lineStart(index));
        *endOffset =
            index + 1 < box->lineCount() ? int(box->lineStart(index + 1)) : characterCount();
        return text(*startOffset, *endOffset);
    }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object) {
    if (className == QLatin1String(MessageEdit::staticMetaObject.className()) &&
        object->isWidgetType())
        return new MessageEditAccessible(static_cast<MessageEdit *>(object));
    return nullptr;
}

} // namespace

MessageEdit::MessageEdit(QWidget *parent) : QAbstractScrollArea(parent) {
    InstallAccessibleFactory(accessibleFactory);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
}

MessageEdit::~MessageEdit() = default;

// --- wrapping ---------------------------------------------------------------

qreal MessageEdit::advance(char32_t code) const {
    if (code < 0x10000) {
        if (m_advances.empty())
            m_advances.assign(0x10000, -1.0f);
        float &known = m_advances[code];
        if (known < 0)
            known = float(QFontMetricsF(font()).horizontalAdvance(QChar(char16_t(code))));
        return known;
    }
    // (Asking the font takes microseconds: a pasted text holds many emoji.)
    const auto [known, added] = m_wideAdvances.try_emplace(code, 0.0f);
    if (added)
        known->second = float(QFontMetricsF(font()).horizontalAdvance(QString::fromUcs4(&code, 1)));
    return known->second;
}

qreal MessageEdit::wrapWidth() const {
    // A pixel to spare: the shaped line may come out a little wider than
    // the sum of its characters' widths.
    return qMax(qreal(1), qreal(viewport()->width() - 2 * Margin - 2));
}

// The line starts of the paragraph text[from, end), end at a line feed or the
// end of the text, or of its lines from one that starts at `from`. Blanks at a
// line's end hang past the edge, as usual.
//
// Lines are filled greedily, and what is carried from one line to the next
// (the start of a word that did not fit) is measured again from the line's
// start: wrapping from any line start gives the lines that follow it.
//
// A word longer than a line is broken between graphemes, so that no line
// starts with a skin tone, half a flag or a mark; only a grapheme wider than
// a line is broken between its code points. Whether a grapheme ends at a
// place depends on nothing after the place and nothing before a line start,
// so this keeps the lines that follow a line start its own.
template <class Meets>
bool MessageEdit::wrapParagraph(qsizetype from, qsizetype end, std::vector<qsizetype> &lines,
                                Meets &&meets) const {
    if (meets(from))
        return false;
    lines.push_back(from);
    const qreal width = wrapWidth();
    const char16_t *text = reinterpret_cast<const char16_t *>(m_text.constData());
    qsizetype start = from;
    qsizetype afterBlank = -1;
    qreal x = 0;
    const auto codeAt = [&](qsizetype i, qsizetype *units) -> char32_t {
        const char16_t c = text[i];
        if (QChar::isHighSurrogate(c) && i + 1 < end && QChar::isLowSurrogate(text[i + 1])) {
            *units = 2;
            return QChar::surrogateToUcs4(c, text[i + 1]);
        }
        *units = 1;
        return c;
    };
    m_graphemes.setText(std::u16string_view(text + from, std::size_t(end - from)));
    // Where a line that starts at lineStart ends when text[i] does not fit on
    // it: the last grapheme boundary after lineStart up to i, else i.
    const auto graphemeEnd = [&](qsizetype lineStart, qsizetype i) {
        const qsizetype at = towardsGrapheme(from, lineStart, end, i, false);
        return at > lineStart ? at : i;
    };
    const auto widthOf = [&](qsizetype first, qsizetype last) {
        qreal sum = 0;
        for (qsizetype j = first; j < last;) {
            qsizetype n = 1;
            sum += advance(codeAt(j, &n));
            j += n;
        }
        return sum;
    };
    for (qsizetype i = from; i < end;) {
        const char16_t c = text[i];
        if (c == LineSeparator) {
            if (meets(i + 1))
                return false;
            lines.push_back(i + 1);
            start = i + 1;
            afterBlank = -1;
            x = 0;
            ++i;
            continue;
        }
        if (isBlank(c)) {
            // Blanks hang past the edge of their line, a line's width of them
            // at most: a longer run (a pasted million) goes on on a new line,
            // or one line would hold it all and be laid out whole.
            const auto after = [&](qreal from) {
                return c == u'\t' ? (std::floor(from / TabStop) + 1) * TabStop : from + advance(c);
            };
            if (after(x) > 2 * width && i > start) {
                if (meets(i))
                    return false;
                lines.push_back(i);
                start = i;
                x = 0;
            }
            x = after(x);
            afterBlank = i + 1;
            ++i;
            continue;
        }
        qsizetype units = 1;
        const qreal w = advance(codeAt(i, &units));
        if (x + w > width && i > start) {
            start = afterBlank > start ? afterBlank : graphemeEnd(start, i);
            if (meets(start))
                return false;
            lines.push_back(start);
            afterBlank = -1;
            // Moved on, the start of a word longer than a line may still not
            // leave room for the character: the new line then ends before it
            // too. No line passes the edge, and a wrap that starts at this
            // line gives the same lines.
            if (widthOf(start, i) + w > width && i > start) {
                start = graphemeEnd(start, i);
                if (meets(start))
                    return false;
                lines.push_back(start);
            }
            x = widthOf(start, i);
        }
        x += w;
        i += units;
    }
    return true;
}

void MessageEdit::wrapAll() {
    m_lines.clear();
    m_direction = {};
    for (qsizetype from = 0;;) {
        qsizetype end = m_text.indexOf(u'\n', from);
        if (end < 0)
            end = m_text.size();
        wrapParagraph(from, end, m_lines, [](qsizetype) { return false; });
        if (end == m_text.size())
            break;
        from = end + 1;
    }
    updateScrollBar();
    viewport()->update();
}

void MessageEdit::updateScrollBar() {
    const int visible = visibleLineCount();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visible);
    bar->setRange(0, qMax(0, lineCount() - visible));
}

// --- lines ------------------------------------------------------------------

int MessageEdit::lineOf(qsizetype position) const {
    const auto after = std::upper_bound(m_lines.begin(), m_lines.end(), position);
    return int(after - m_lines.begin()) - 1;
}

qsizetype MessageEdit::lineEnd(int line) const {
    if (line + 1 >= lineCount())
        return m_text.size();
    const qsizetype next = lineStart(line + 1);
    return endsLine(m_text.at(next - 1)) ? next - 1 : next;
}

bool MessageEdit::lineWraps(int line) const {
    return line + 1 < lineCount() && !endsLine(m_text.at(lineStart(line + 1) - 1));
}

struct MessageEdit::LaidOut {
    QString text;
    QString preedit;
    int preeditAt = -1;
    QFont font;
    qreal width = 0;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    QTextLayout layout;
};

const QTextLayout &MessageEdit::layoutOf(int line) const {
    const qsizetype start = lineStart(line);
    const QStringView text = QStringView(m_text).mid(start, lineEnd(line) - start);
    const bool preedit = !m_preedit.isEmpty() && lineOf(m_cursor) == line;
    const int preeditAt = preedit ? int(m_cursor - start) : -1;
    const Qt::LayoutDirection direction = paragraphDirection(line);
    const qreal width = wrapWidth();
    constexpr std::size_t Kept = 16; // more than a box shows
    for (auto it = m_laidOut.begin(); it != m_laidOut.end(); ++it) {
        LaidOut &kept = **it;
        if (kept.preeditAt == preeditAt && kept.width == width && kept.direction == direction &&
            kept.text == text && (!preedit || kept.preedit == m_preedit) && kept.font == font()) {
            std::rotate(it, it + 1, m_laidOut.end());
            return m_laidOut.back()->layout;
        }
    }
    if (m_laidOut.size() == Kept)
        m_laidOut.erase(m_laidOut.begin());
    auto laidOut = std::make_unique<LaidOut>();
    laidOut->text = text.toString();
    laidOut->preedit = preedit ? m_preedit : QString();
    laidOut->preeditAt = preeditAt;
    laidOut->font = font();
    laidOut->width = width;
    laidOut->direction = direction;
    QTextLayout &layout = laidOut->layout;
    layout.setText(laidOut->text);
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(TabStop);
    // Every line of a paragraph reads its way, and one that reads right to
    // left lies against the right edge; the blanks that end a line hang past
    // the edge it ends at.
    option.setTextDirection(direction);
    option.setAlignment(direction == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    if (preedit)
        layout.setPreeditArea(preeditAt, m_preedit);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    textLine.setLineWidth(width);
    textLine.setPosition(QPointF(0, 0));
    layout.endLayout();
    m_laidOut.push_back(std::move(laidOut));
    return m_laidOut.back()->layout;
}

Qt::LayoutDirection MessageEdit::paragraphDirection(int line) const {
    const auto continues = [&](int k) { return m_text.at(lineStart(k) - 1) != u'\n'; };
    // Painting and moving ask line after line: the paragraph known so far
    // is followed down before it is looked for anew.
    if (line > m_direction.last && m_direction.last >= m_direction.first) {
        while (m_direction.last < line && continues(m_direction.last + 1))
            ++m_direction.last;
    }
    if (line < m_direction.first || line > m_direction.last) {
        int first = line;
        while (first > 0 && continues(first))
            --first;
        // Its first strong letter, before its line feed (as
        // QString::isRightToLeft finds it, but bounded there and telling
        // where it is).
        Qt::LayoutDirection value = Qt::LeftToRight;
        qsizetype i = lineStart(first);
        int isolates = 0;
        for (; i < m_text.size() && m_text.at(i) != u'\n';) {
            char32_t c = m_text.at(i).unicode();
            qsizetype units = 1;
            if (QChar::isHighSurrogate(c) && i + 1 < m_text.size() &&
                m_text.at(i + 1).isLowSurrogate()) {
                c = QChar::surrogateToUcs4(char16_t(c), m_text.at(i + 1).unicode());
                units = 2;
            }
            // (Letters inside an isolate do not count.)
            const QChar::Direction d = QChar::direction(c);
            if (d == QChar::DirLRI || d == QChar::DirRLI || d == QChar::DirFSI)
                ++isolates;
            else if (d == QChar::DirPDI && isolates > 0)
                --isolates;
            else if (isolates == 0 && d == QChar::DirL)
                break;
            else if (isolates == 0 && (d == QChar::DirR || d == QChar::DirAL)) {
                value = Qt::RightToLeft;
                break;
            }
            i += units;
        }
        m_direction = {first, line, i, value};
    }
    return m_direction.value;
}

int MessageEdit::lineHeight() const {
    return qMax(1, qCeil(QFontMetricsF(font()).lineSpacing()));
}

int MessageEdit::firstVisibleLine() const {
    return qBound(0, verticalScrollBar()->value(), lineCount() - 1);
}

int MessageEdit::visibleLineCount() const {
    return qMax(1, (viewport()->height() - 2 * Margin) / lineHeight());
}

qsizetype MessageEdit::positionOnLine(int line, qreal x) const {
    const QTextLayout &layout = layoutOf(line);
    const QTextLine textLine = layout.lineAt(0);
    const qsizetype start = lineStart(line);
    const qsizetype end = lineEnd(line);
    // The end of a wrapped line is the start of the next: stay on this one.
    const qsizetype last =
        lineWraps(line) && end > start ? graphemeBoundary(line, end - 1, false) : end;
    const auto distance = [&](qsizetype at) {
        return std::abs(textLine.cursorToX(int(at - start)) - x);
    };
    const qsizetype answer =
        qMin(graphemeBoundary(line, start + textLine.xToCursor(x), false), last);
    // Qt 6.4's xToCursor answers the line's end, or a place further on, for
    // a point on the second glyph of a character drawn with several (a
    // decomposed "ệ", an emoji with a skin tone where no emoji font is
    // installed). An answer with a nearer place beside it is looked for
    // again among the line's grapheme boundaries. The first places of a line
    // are enough: the blanks that end it hang past the box's edge, and it
    // holds no more than a box's width of other characters.
    const qreal away = distance(answer);
    const qsizetype before = answer > start ? graphemeBoundary(line, answer - 1, false) : answer;
    const qsizetype after =
        answer < last ? qMin(graphemeBoundary(line, answer + 1, true), last) : answer;
    if (distance(before) >= away && distance(after) >= away)
        return answer;
    // (m_graphemes holds the line: graphemeBoundary gave it the line above.)
    constexpr qsizetype MostUnits = 8192;
    qsizetype nearest = answer;
    qreal least = away;
    for (qsizetype at = start; at <= last && at - start < MostUnits; ++at) {
        if (at > start && at < end && insideGrapheme(start, at))
            continue;
        if (const qreal d = distance(at); d < least) {
            least = d;
            nearest = at;
        }
    }
    return nearest;
}

qreal MessageEdit::xOf(qsizetype position) const {
    const int line = lineOf(position);
    const QTextLayout &layout = layoutOf(line);
    return layout.lineAt(0).cursorToX(int(position - lineStart(line)));
}

QRect MessageEdit::characterRect(qsizetype position) const {
    if (position < 0 || position > m_text.size())
        return {};
    const int line = lineOf(position);
    const int first = firstVisibleLine();
    if (line < first || line >= first + visibleLineCount())
        return {};
    const QTextLayout &layout = layoutOf(line);
    const int at = int(position - lineStart(line));
    const qreal left = layout.lineAt(0).cursorToX(at);
    const qreal right = at < layout.text().size() ? layout.lineAt(0).cursorToX(at + 1) : left + 1;
    return QRectF(Margin + left, Margin + (line - first) * lineHeight(),
                  qMax(qreal(1), right - left), lineHeight())
        .toAlignedRect();
}

QRect MessageEdit::glyphRect(qsizetype position) const {
    const QRect cursor = characterRect(position);
    if (cursor.isEmpty() || position >= m_text.size())
        return cursor;
    const int line = lineOf(position);
    const QTextLayout &layout = layoutOf(line);
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (const QGlyphRun &run : layout.glyphRuns(int(position - lineStart(line)), 1)) {
        const QList<QPointF> at = run.positions();
        const QList<QPointF> advances = run.rawFont().advancesForGlyphIndexes(run.glyphIndexes());
        for (qsizetype k = 0; k < at.size() && k < advances.size(); ++k) {
            left = qMin(left, at[k].x());
            right = qMax(right, at[k].x() + advances[k].x());
        }
    }
    if (left > right) // (a line break: no glyph)
        return cursor;
    return QRectF(Margin + left, cursor.top(), qMax(qreal(1), right - left), cursor.height())
        .toAlignedRect();
}

qsizetype MessageEdit::positionAt(const QPoint &point) const {
    const int offset = int(std::floor(qreal(point.y() - Margin) / lineHeight()));
    const int line = qBound(0, firstVisibleLine() + offset, lineCount() - 1);
    return positionOnLine(line, point.x() - Margin);
}

// --- editing ----------------------------------------------------------------

void MessageEdit::apply(qsizetype position, qsizetype length, const QString &text) {
    // The lines are wrapped again from the one before the edited line, whose
    // end depends on the first character that did not fit on it, until a
    // line starts where one started before, after the edit: from there on
    // the text and so the lines are the same. A key typed in a paragraph of
    // millions of characters costs a few lines.
    //
    // That first character is on the next line, or at the start of the one
    // after it when the next line holds only the start of a word too long
    // for a line. So an edit at the start of a line goes two lines back.
    const int edited = lineOf(position);
    const int back = position == lineStart(edited) ? 2 : 1;
    const std::size_t firstIndex = std::size_t(qMax(0, edited - back));
    const qsizetype delta = text.size() - length;
    const qsizetype editEnd = position + text.size();
    std::size_t next = std::size_t(
        std::lower_bound(m_lines.begin(), m_lines.end(), position + length) - m_lines.begin());
    const auto meets = [&](qsizetype start) {
        if (start < editEnd)
            return false;
        while (next < m_lines.size() && m_lines[next] + delta < start)
            ++next;
        return next < m_lines.size() && m_lines[next] + delta == start;
    };

    // The known paragraph keeps its direction when the edit comes after the
    // letter that decides it and neither makes nor joins paragraphs; of its
    // lines, those before the ones wrapped again stay where they were.
    if (position > m_direction.decided &&
        !QStringView(m_text).mid(position, length).contains(u'\n') && !text.contains(u'\n'))
        m_direction.last = qMin(m_direction.last, int(firstIndex));
    else
        m_direction = {};
    m_text.replace(position, length, text);
    std::vector<qsizetype> fresh;
    for (qsizetype from = m_lines[firstIndex];;) {
        qsizetype end = m_text.indexOf(u'\n', from);
        if (end < 0)
            end = m_text.size();
        if (!wrapParagraph(from, end, fresh, meets))
            break;
        if (end == m_text.size()) {
            next = m_lines.size(); // met no old line start
            break;
        }
        from = end + 1;
    }
    for (auto it = m_lines.begin() + qsizetype(next); it != m_lines.end(); ++it)
        *it += delta;
    m_lines.erase(m_lines.begin() + qsizetype(firstIndex), m_lines.begin() + qsizetype(next));
    m_lines.insert(m_lines.begin() + qsizetype(firstIndex), fresh.begin(), fresh.end());
    updateScrollBar();
    viewport()->update();
}

void MessageEdit::replace(qsizetype position, qsizetype length, const QString &text, bool typed) {
    const QString inserted = normalized(text);
    if (length == 0 && inserted.isEmpty())
        return;
    const QString removed = m_text.mid(position, length);
    const bool merges = typed && length == 0 && !m_undo.empty() && m_undo.back().typed &&
                        m_undo.back().position + m_undo.back().inserted.size() == position;
    if (merges)
        m_undo.back().inserted += inserted;
    else
        m_undo.push_back({position, removed, inserted, m_cursor, m_anchor, typed, false});
    m_redo.clear();
    apply(position, length, inserted);
    m_cursor = m_anchor = position + inserted.size();
    notifyAccessibility(position, removed, inserted);
    cursorMoved();
    Q_EMIT textChanged();
}

void MessageEdit::notifyAccessibility(qsizetype position, const QString &removed,
                                      const QString &inserted) {
    if (!QAccessible::isActive())
        return;
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, int(position), removed);
        QAccessible::updateAccessibility(&event);
    }
    if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(this, int(position), inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void MessageEdit::setPlainText(const QString &text) {
    m_text = normalized(text);
    m_undo.clear();
    m_redo.clear();
    m_cursor = m_anchor = 0;
    m_preedit.clear();
    wrapAll();
    verticalScrollBar()->setValue(0);
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, QString(), m_text);
        QAccessible::updateAccessibility(&event);
    }
    cursorMoved();
    Q_EMIT textChanged();
}

void MessageEdit::replaceAll(const QString &text) {
    if (normalized(text) != m_text) // (the same text again is no step to undo)
        replace(0, m_text.size(), text);
    setCursorPosition(0);
}

void MessageEdit::insertPlainText(const QString &text) {
    replace(selectionStart(), selectionEnd() - selectionStart(), text);
}

void MessageEdit::deleteSelection() {
    if (hasSelection())
        replace(selectionStart(), selectionEnd() - selectionStart(), QString());
}

void MessageEdit::insertFromMimeData(const QMimeData *source) {
    if (source && source->hasText())
        insertPlainText(source->text());
}

QString MessageEdit::selectedText() const {
    return m_text.mid(selectionStart(), selectionEnd() - selectionStart());
}

void MessageEdit::selectAll() {
    m_anchor = 0;
    m_cursor = m_text.size();
    cursorMoved();
}

void MessageEdit::setCursorPosition(qsizetype position, bool keepAnchor) {
    position = qBound(qsizetype(0), position, m_text.size());
    if (position > 0 && position < m_text.size() && m_text.at(position).isLowSurrogate() &&
        m_text.at(position - 1).isHighSurrogate())
        --position;
    m_cursor = position;
    if (!keepAnchor)
        m_anchor = position;
    cursorMoved();
}

void MessageEdit::undo() {
    if (m_undo.empty())
        return;
    for (bool more = true; more && !m_undo.empty();) {
        Edit edit = std::move(m_undo.back());
        m_undo.pop_back();
        more = edit.withPrevious;
        apply(edit.position, edit.inserted.size(), edit.removed);
        notifyAccessibility(edit.position, edit.inserted, edit.removed);
        m_cursor = edit.cursorBefore;
        m_anchor = edit.anchorBefore;
        edit.typed = false;
        m_redo.push_back(std::move(edit));
    }
    cursorMoved();
    Q_EMIT textChanged();
}

void MessageEdit::redo() {
    if (m_redo.empty())
        return;
    do {
        Edit edit = std::move(m_redo.back());
        m_redo.pop_back();
        apply(edit.position, edit.removed.size(), edit.inserted);
        notifyAccessibility(edit.position, edit.removed, edit.inserted);
        m_cursor = m_anchor = edit.position + edit.inserted.size();
        m_undo.push_back(std::move(edit));
    } while (!m_redo.empty() && m_redo.back().withPrevious);
    cursorMoved();
    Q_EMIT textChanged();
}

void MessageEdit::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void MessageEdit::cut() {
    if (!hasSelection())
        return;
    copy();
    deleteSelection();
}

void MessageEdit::paste() {
    insertFromMimeData(QGuiApplication::clipboard()->mimeData());
}

QMenu *MessageEdit::createStandardContextMenu(QWidget *parent) {
    auto *menu = new QMenu(parent);
    const auto add = [menu](const QString &text, QKeySequence::StandardKey key, bool enabled,
                            auto &&slot) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction *action =
            menu->addAction(shortcut.isEmpty() ? text : text + u'\t' + shortcut, slot);
        action->setEnabled(enabled);
        return action;
    };
    add(tr("&Undo"), QKeySequence::Undo, isUndoAvailable(), [this] { undo(); });
    add(tr("&Redo"), QKeySequence::Redo, isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add(tr("Cu&t"), QKeySequence::Cut, hasSelection(), [this] { cut(); });
    add(tr("&Copy"), QKeySequence::Copy, hasSelection(), [this] { copy(); });
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    add(tr("&Paste"), QKeySequence::Paste, clip && clip->hasText(), [this] { paste(); });
    add(tr("Delete"), QKeySequence::UnknownKey, hasSelection(), [this] { deleteSelection(); });
    menu->addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, !m_text.isEmpty(), [this] { selectAll(); });
    return menu;
}

// --- moving -----------------------------------------------------------------

// The cursor moves between graphemes as ICU finds them. Qt's own rules (as
// QTextLayout applies them) break after Indic and Thai letters at every code
// unit, even inside a surrogate pair, where a key typed or Delete would
// leave half a character; and its word stops fall inside a keycap emoji
// ("#" before its U+FE0F U+20E3) or before a mark on a punctuation sign.
qsizetype MessageEdit::graphemeBoundary(int line, qsizetype position, bool forward) const {
    const qsizetype start = lineStart(line);
    const qsizetype end = lineEnd(line);
    m_graphemes.setText(std::u16string_view(
        reinterpret_cast<const char16_t *>(m_text.constData()) + start, std::size_t(end - start)));
    return towardsGrapheme(start, start, end, position, forward);
}

bool MessageEdit::insideGrapheme(qsizetype base, qsizetype position) const {
    const char16_t *text = reinterpret_cast<const char16_t *>(m_text.constData());
    if (QChar::isLowSurrogate(text[position]) && QChar::isHighSurrogate(text[position - 1]))
        return true; // between the halves of a pair
    return !m_graphemes.isBoundary(position - base);
}

qsizetype MessageEdit::towardsGrapheme(qsizetype base, qsizetype start, qsizetype end,
                                       qsizetype position, bool forward) const {
    while (position > start && position < end && insideGrapheme(base, position))
        position += forward ? 1 : -1;
    return position;
}

qsizetype MessageEdit::nextPosition(qsizetype position, bool word) const {
    if (position >= m_text.size())
        return m_text.size();
    const int line = lineOf(position);
    const qsizetype start = lineStart(line);
    if (position >= lineEnd(line))
        return position + 1; // over the line break
    if (!word)
        return graphemeBoundary(line, position + 1, true);
    const QTextLayout &layout = layoutOf(line);
    const int at = layout.nextCursorPosition(int(position - start), QTextLayout::SkipWords);
    return graphemeBoundary(line, qMax(position + 1, start + at), true);
}

qsizetype MessageEdit::previousPosition(qsizetype position, bool word) const {
    if (position <= 0)
        return 0;
    int line = lineOf(position);
    if (position == lineStart(line)) {
        if (endsLine(m_text.at(position - 1)))
            return position - 1; // over the line break
        --line;                  // into the wrapped line above
    }
    if (!word)
        return graphemeBoundary(line, position - 1, false);
    const qsizetype start = lineStart(line);
    const QTextLayout &layout = layoutOf(line);
    const int at = layout.previousCursorPosition(int(position - start), QTextLayout::SkipWords);
    return graphemeBoundary(line, qMin(position - 1, start + at), false);
}

bool MessageEdit::moveByKey(QKeyEvent *event) {
    enum Move {
        Next,
        Previous,
        NextWord,
        PreviousWord,
        Down,
        Up,
        Home,
        End,
        Top,
        Bottom,
        PageDown,
        PageUp
    };
    struct Binding {
        QKeySequence::StandardKey move, select;
        Move how;
    };
    static const Binding bindings[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Next},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Previous},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, NextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, PreviousWord},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Down},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Up},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Home},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, End},
        {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Home},
        {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, End},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Top},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Bottom},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, PageDown},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, PageUp},
    };
    for (const Binding &b : bindings) {
        const bool select = event->matches(b.select);
        if (!select && !event->matches(b.move))
            continue;
        const int line = lineOf(m_cursor);
        const auto vertical = [&](int lines) {
            if (m_goalX < 0)
                m_goalX = xOf(m_cursor);
            const int target = line + lines;
            if (target < 0)
                return qsizetype(0);
            if (target >= lineCount())
                return m_text.size();
            return positionOnLine(target, m_goalX);
        };
        qsizetype to = m_cursor;
        bool keepGoal = false;
        switch (b.how) {
        case Next:
            to = hasSelection() && !select ? selectionEnd() : nextPosition(m_cursor, false);
            break;
        case Previous:
            to = hasSelection() && !select ? selectionStart() : previousPosition(m_cursor, false);
            break;
        case NextWord:
            to = nextPosition(m_cursor, true);
            break;
        case PreviousWord:
            to = previousPosition(m_cursor, true);
            break;
        case Down:
        case Up:
        case PageDown:
        case PageUp: {
            const int page = visibleLineCount();
            const int lines = b.how == Down       ? 1
                              : b.how == Up       ? -1
                              : b.how == PageDown ? page
                                                  : -page;
            to = vertical(lines);
            keepGoal = true;
            break;
        }
        case Home:
            to = lineStart(line);
            break;
        case End: // the line's logical end, also where it reads right to left
            to = lineWraps(line) ? previousPosition(lineEnd(line), false) : lineEnd(line);
            break;
        case Top:
            to = 0;
            break;
        case Bottom:
            to = m_text.size();
            break;
        }
        const qreal goal = m_goalX;
        m_cursor = to;
        if (!select)
            m_anchor = to;
        cursorMoved(keepGoal);
        if (keepGoal)
            m_goalX = goal;
        return true;
    }
    return false;
}

void MessageEdit::cursorMoved(bool keepGoalX) {
    if (!keepGoalX)
        m_goalX = -1;
    ensureCursorVisible();
    restartBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        if (hasSelection() || m_selectionTold) {
            // (A selection that goes is told too: screen readers say so.)
            QAccessibleTextSelectionEvent event(this, int(selectionStart()), int(selectionEnd()));
            event.setCursorPosition(int(m_cursor));
            QAccessible::updateAccessibility(&event);
        }
        if (!hasSelection()) {
            QAccessibleTextCursorEvent event(this, int(m_cursor));
            QAccessible::updateAccessibility(&event);
        }
    }
    m_selectionTold = hasSelection();
    Q_EMIT cursorPositionChanged();
}

void MessageEdit::ensureCursorVisible() {
    const int line = lineOf(m_cursor);
    const int first = verticalScrollBar()->value();
    const int visible = visibleLineCount();
    if (line < first)
        verticalScrollBar()->setValue(line);
    else if (line >= first + visible)
        verticalScrollBar()->setValue(line - visible + 1);
}

void MessageEdit::restartBlink() {
    m_cursorShown = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash >= 2)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
}

// --- events -----------------------------------------------------------------

bool MessageEdit::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the box understands are not taken by the window's shortcuts.
        auto *key = static_cast<QKeyEvent *>(event);
        const bool text = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                          !(key->modifiers() & Qt::ControlModifier);
        if (text || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy) ||
            key->matches(QKeySequence::Paste) || key->matches(QKeySequence::SelectAll) ||
            key->matches(QKeySequence::Delete) || key->matches(QKeySequence::MoveToNextWord) ||
            key->matches(QKeySequence::MoveToPreviousWord) ||
            key->matches(QKeySequence::MoveToStartOfDocument) ||
            key->matches(QKeySequence::MoveToEndOfDocument)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void MessageEdit::keyPressEvent(QKeyEvent *event) {
    if (moveByKey(event))
        return;
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (!hasSelection())
            m_anchor = previousPosition(m_cursor, true);
        deleteSelection();
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!hasSelection())
            m_anchor = nextPosition(m_cursor, true);
        deleteSelection();
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier)) {
        if (!hasSelection() && m_cursor > 0) {
            // One character back, a surrogate pair whole.
            m_anchor = m_cursor - 1;
            if (m_anchor > 0 && m_text.at(m_anchor).isLowSurrogate() &&
                m_text.at(m_anchor - 1).isHighSurrogate())
                --m_anchor;
        }
        deleteSelection();
    } else if (event->matches(QKeySequence::Delete)) {
        if (!hasSelection())
            m_anchor = nextPosition(m_cursor, false);
        deleteSelection();
    } else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
               event->matches(QKeySequence::InsertLineSeparator)) {
        // Shift+Enter too: a line separator would make the whole message
        // UCS-2 in an SMS, and shows no different.
        insertPlainText(u"\n"_s);
    } else if (const QString text = event->text();
               !text.isEmpty() && (text.at(0).isPrint() || text.at(0).isHighSurrogate()) &&
               !(event->modifiers() & Qt::ControlModifier)) {
        replace(selectionStart(), selectionEnd() - selectionStart(), text, true);
    } else {
        event->ignore();
        return;
    }
    event->accept();
}

void MessageEdit::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const int first = firstVisibleLine();
    const int height = lineHeight();
    const int bottom = viewport()->height();
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype from = selectionStart(), to = selectionEnd();
    for (int line = first, y = Margin; line < lineCount() && y < bottom; ++line, y += height) {
        const QTextLayout &layout = layoutOf(line);
        const qsizetype start = lineStart(line);
        QList<QTextLayout::FormatRange> formats;
        const qsizetype a = qMax(from, start), b = qMin(to, lineEnd(line));
        if (a < b)
            formats.append({int(a - start), int(b - a), selected});
        layout.draw(&painter, QPointF(Margin, y), formats);
        if (m_cursorShown && lineOf(m_cursor) == line) {
            const int at = int(m_cursor - start) + int(m_preedit.size());
            layout.drawCursor(&painter, QPointF(Margin, y), at, 1);
        }
        if (m_dropAt >= 0 && lineOf(m_dropAt) == line)
            layout.drawCursor(&painter, QPointF(Margin, y), int(m_dropAt - start), 1);
    }
}

void MessageEdit::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    const qsizetype top = lineStart(firstVisibleLine());
    wrapAll();
    verticalScrollBar()->setValue(lineOf(top));
}

void MessageEdit::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_advances.clear();
        m_wideAdvances.clear();
        wrapAll();
    }
}

void MessageEdit::scrollContentsBy(int, int) {
    viewport()->update();
}

void MessageEdit::mousePressEvent(QMouseEvent *event) {
    const qsizetype at = positionAt(event->position().toPoint());
    const bool plainLeft =
        event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier);
    if (plainLeft && event->timestamp() < m_tripleClickBefore &&
        (event->position().toPoint() - m_tripleClickAt).manhattanLength() <
            QApplication::startDragDistance()) {
        // The third click: the paragraph, with its line feed.
        m_tripleClickBefore = 0;
        const qsizetype end = m_text.indexOf(u'\n', at);
        m_anchor = at > 0 ? m_text.lastIndexOf(u'\n', at - 1) + 1 : 0;
        m_cursor = end < 0 ? m_text.size() : end + 1;
        m_selecting = false;
        cursorMoved();
    } else if (plainLeft && onSelection(event->position().toPoint())) {
        m_dragPending = true;
        m_pressAt = event->position().toPoint();
    } else if (event->button() == Qt::LeftButton) {
        setCursorPosition(at, event->modifiers() & Qt::ShiftModifier);
        m_selecting = true;
    } else if (event->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection()) {
        setCursorPosition(at);
        insertPlainText(QGuiApplication::clipboard()->text(QClipboard::Selection));
    }
}

void MessageEdit::mouseMoveEvent(QMouseEvent *event) {
    if (m_dragPending && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressAt).manhattanLength() >=
            QApplication::startDragDistance()) {
        m_dragPending = false;
        dragSelection();
    } else if (m_selecting && (event->buttons() & Qt::LeftButton)) {
        setCursorPosition(positionAt(event->position().toPoint()), true);
    }
}

void MessageEdit::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragPending) {
        // Pressed on the selection and let go without a drag: a click.
        m_dragPending = false;
        setCursorPosition(positionAt(m_pressAt));
        return;
    }
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void MessageEdit::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    // The word under the pointer, found on its line.
    const qsizetype at = positionAt(event->position().toPoint());
    const int line = lineOf(at);
    const qsizetype start = lineStart(line);
    const QString text = m_text.mid(start, lineEnd(line) - start);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(int(at - start));
    qsizetype from = finder.position();
    if (!finder.isAtBoundary() || !(finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
        from = qMax(qsizetype(0), finder.toPreviousBoundary());
    finder.setPosition(int(from));
    qsizetype to = finder.toNextBoundary();
    if (to < 0)
        to = text.size();
    m_anchor = start + from;
    m_cursor = start + to;
    m_selecting = false;
    m_tripleClickAt = event->position().toPoint();
    m_tripleClickBefore =
        event->timestamp() + quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    cursorMoved();
}

void MessageEdit::contextMenuEvent(QContextMenuEvent *event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(this));
    menu->exec(event->globalPos());
}

void MessageEdit::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void MessageEdit::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    m_cursorShown = false;
    viewport()->update();
}

void MessageEdit::timerEvent(QTimerEvent *event) {
    if (event->timerId() != m_blink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_cursorShown = !m_cursorShown;
    if (const QRect r = characterRect(m_cursor); !r.isEmpty())
        viewport()->update(r.adjusted(-2, 0, 2, 0));
}

void MessageEdit::inputMethodEvent(QInputMethodEvent *event) {
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selectionStart();
        qsizetype length = selectionEnd() - from;
        if (event->replacementLength() > 0 && !hasSelection()) {
            from = qBound(qsizetype(0), m_cursor + event->replacementStart(), m_text.size());
            length = qMin(qsizetype(event->replacementLength()), m_text.size() - from);
        }
        replace(from, length, event->commitString(), true);
    }
    m_preedit = event->preeditString();
    viewport()->update();
    event->accept();
}

QVariant MessageEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    // The surrounding text is the cursor's line: a paragraph may be huge.
    const int line = lineOf(m_cursor);
    const qsizetype start = lineStart(line);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
        const QRect r = characterRect(query == Qt::ImCursorRectangle ? m_cursor : m_anchor);
        return QRect(r.topLeft(), QSize(1, r.height())).translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
        return m_text.mid(start, lineEnd(line) - start);
    case Qt::ImCursorPosition:
        return int(m_cursor - start);
    case Qt::ImAnchorPosition:
        return int(qBound(start, m_anchor, lineEnd(line)) - start);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImAbsolutePosition:
        return int(m_cursor);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void MessageEdit::dragEnterEvent(QDragEnterEvent *event) {
    dragMoveEvent(event);
}

void MessageEdit::dragMoveEvent(QDragMoveEvent *event) {
    if (!event->mimeData()->hasText())
        return;
    event->acceptProposedAction();
    // Near the top or bottom edge the box scrolls on, a line a move; a caret
    // shows where the text would land.
    const int y = event->position().toPoint().y();
    const int edge = lineHeight() / 2;
    if (y < edge)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    else if (y >= viewport()->height() - edge)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    m_dropAt = positionAt(event->position().toPoint());
    viewport()->update();
}

void MessageEdit::dragLeaveEvent(QDragLeaveEvent *) {
    m_dropAt = -1;
    viewport()->update();
}

bool MessageEdit::onSelection(const QPoint &point) const {
    if (!hasSelection())
        return false;
    const qsizetype at = positionAt(point);
    return (at > selectionStart() && at < selectionEnd()) ||
           characterRect(selectionStart()).contains(point) ||
           characterRect(selectionEnd() - 1).contains(point);
}

void MessageEdit::dragSelection() {
    auto *data = new QMimeData;
    data->setText(selectedText());
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    m_dragging = true;
    m_droppedHere = false;
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_dragging = false;
    // Moved elsewhere: it leaves here (a move within the box is the drop's).
    if (action == Qt::MoveAction && !m_droppedHere)
        deleteSelection();
}

void MessageEdit::dropEvent(QDropEvent *event) {
    m_dropAt = -1;
    viewport()->update();
    if (!event->mimeData()->hasText())
        return;
    const qsizetype to = positionAt(event->position().toPoint());
    if (m_dragging) {
        // The selection, dragged within the box. Dropped onto itself it
        // stays as it is, also when copied; moved, it is one edit to undo.
        m_droppedHere = true;
        event->acceptProposedAction();
        const qsizetype start = selectionStart();
        const qsizetype end = selectionEnd();
        const bool move = event->dropAction() == Qt::MoveAction;
        if (move ? to >= start && to <= end : to > start && to < end)
            return;
        if (move) {
            const QString moved = selectedText();
            replace(start, end - start, QString());
            const qsizetype at = to > end ? to - (end - start) : to;
            replace(at, 0, moved);
            m_undo.back().withPrevious = true;
            m_anchor = at;
            m_cursor = at + moved.size();
            cursorMoved();
            return;
        }
    }
    setCursorPosition(to);
    insertFromMimeData(event->mimeData());
    event->acceptProposedAction();
}

} // namespace tovrik::ui
