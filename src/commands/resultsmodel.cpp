#include "commands/resultsmodel.h"

#include "shell/failure.h"

using namespace Qt::StringLiterals;

namespace tovrik::commands {

namespace {
// A view draws one line per row; a piece of megabytes would make eliding it
// slow, so the view is given its start only. The row's text stays whole.
constexpr qsizetype DisplayLimit = 4096;

[[noreturn]] void outOfBounds() {
    throw shell::Failure(u"Index out of bounds"_s);
}
} // namespace

ResultsModel::ResultsModel(QObject *parent) : QAbstractTableModel(parent) {}

void ResultsModel::addColumn(const QString &header) {
    const int column = int(m_headers.size());
    beginInsertColumns({}, column, column);
    m_headers.append(header);
    endInsertColumns();
}

QString ResultsModel::headerText(int column) const {
    if (column < 1 || column > m_headers.size())
        outOfBounds();
    return m_headers.at(column - 1);
}

const ResultsModel::Row &ResultsModel::row(int row) const {
    if (row < 1 || row > m_rows.size())
        outOfBounds();
    return m_rows.at(row - 1);
}

QStringView ResultsModel::text(int number) const {
    const Row &r = row(number);
    return QStringView(m_text).sliced(r.offset, r.length);
}

QString ResultsModel::subItem(int number, int index) const {
    const Row &r = row(number);
    if (index < 1 || index >= m_headers.size())
        outOfBounds();
    if (r.extra < 0)
        return {};
    return m_subItems.at(r.extra).value(index - 1);
}

QStringView ResultsModel::cell(int number, int column) const {
    if (column == 1)
        return text(number);
    const Row &r = row(number);
    if (column < 2 || column > m_headers.size())
        outOfBounds();
    if (r.extra < 0)
        return {};
    const QStringList &items = m_subItems.at(r.extra);
    return column - 2 < items.size() ? QStringView(items.at(column - 2)) : QStringView();
}

bool ResultsModel::checked(int number) const {
    return row(number).checked;
}

void ResultsModel::setChecked(int number, bool checked) {
    row(number); // bounds
    m_rows[number - 1].checked = checked;
    checksChanged(number - 1, number - 1);
}

void ResultsModel::clear() {
    if (m_rows.isEmpty() && m_text.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rows.squeeze();
    m_subItems.clear();
    m_text.clear();
    endResetModel();
}

void ResultsModel::appendRow(const QString &text, const QStringList &subItems) {
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    Row r;
    r.offset = m_text.size();
    r.length = text.size();
    m_text.append(text);
    if (!subItems.isEmpty()) {
        r.extra = m_subItems.size();
        m_subItems.append(subItems);
    }
    m_rows.append(r);
    endInsertRows();
}

ResultsModel::Batch::Batch(ResultsModel &model, const QString &source)
    : m_model(model), m_source(source) {}

void ResultsModel::Batch::append(QStringView piece) {
    m_pending.append(piece.data() - m_source.constData());
    m_pending.append(piece.size());
}

ResultsModel::Batch::~Batch() {
    if (m_pending.isEmpty())
        return;
    ResultsModel &model = m_model;
    // An empty list takes the source itself (shared, not copied); otherwise
    // the source goes behind the texts already held.
    if (model.m_rows.isEmpty()) {
        model.m_text = m_source;
        m_base = 0;
    } else {
        m_base = model.m_text.size();
        model.m_text.append(m_source);
    }
    const int first = int(model.m_rows.size());
    const int added = int(m_pending.size() / 2);
    model.beginInsertRows({}, first, first + added - 1);
    model.m_rows.reserve(first + added);
    for (qsizetype i = 0; i < m_pending.size(); i += 2) {
        Row r;
        r.offset = m_base + m_pending.at(i);
        r.length = m_pending.at(i + 1);
        model.m_rows.append(r);
    }
    model.endInsertRows();
}

int ResultsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const int number = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole: {
        const QStringView value = cell(number, index.column() + 1);
        if (value.size() <= DisplayLimit)
            return value.toString();
        qsizetype shown = DisplayLimit;
        if (value[shown - 1].isHighSurrogate())
            --shown;
        return value.first(shown).toString() + u'\x2026';
    }
    case Qt::EditRole:
        return cell(number, index.column() + 1).toString();
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return m_rows.at(index.row()).checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0)
        return false;
    m_rows[index.row()].checked = value.toInt() == Qt::Checked;
    checksChanged(index.row(), index.row());
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers.at(section);
    return {};
}

void ResultsModel::toggleCheckedRows(const QList<std::pair<int, int>> &stretches) {
    const int rows = int(m_rows.size());
    int first = rows, last = -1;
    for (auto [top, bottom] : stretches) {
        top = qMax(top, 0);
        bottom = qMin(bottom, rows - 1);
        for (int r = top; r <= bottom; ++r)
            m_rows[r].checked = !m_rows[r].checked;
        if (top <= bottom) {
            first = qMin(first, top);
            last = qMax(last, bottom);
        }
    }
    checksChanged(first, last);
}

void ResultsModel::setAllChecked(bool checked) {
    for (Row &r : m_rows)
        r.checked = checked;
    checksChanged(0, int(m_rows.size()) - 1);
}

void ResultsModel::invertAllChecked() {
    for (Row &r : m_rows)
        r.checked = !r.checked;
    checksChanged(0, int(m_rows.size()) - 1);
}

void ResultsModel::checksChanged(int first, int last) {
    if (first > last || m_headers.isEmpty())
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, 0), {Qt::CheckStateRole});
}

} // namespace tovrik::commands
