#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <utility>

namespace tovrik::commands {

// The results list: rows x columns under a header, a check mark per row.
// "Start Splitting" writes it; the output commands read it through the row
// count, a row's text and further cells, and its check mark, rows numbered
// from 1. Reading a row that does not exist throws, as a failing list access
// does, and lands in the calling handler's error report.
//
// Row texts are slices of one shared text. A split hands over the message
// itself and its rows only record where each piece lies in it, so a 10 MB
// message becomes 65,000 rows without a copy per piece.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultsModel(QObject *parent = nullptr);

    // --- the list as the commands see it (rows and columns from 1) ---
    void addColumn(const QString &header);
    int headerCount() const { return int(m_headers.size()); }
    QString headerText(int column) const;

    int count() const { return int(m_rows.size()); }
    QStringView text(int row) const;
    QString subItem(int row, int index) const; // index 1 is the second column
    // Column 1 is the row's text, column k > 1 its sub-item k - 1.
    QStringView cell(int row, int column) const;
    bool checked(int row) const;
    void setChecked(int row, bool checked);

    void clear();
    void appendRow(const QString &text, const QStringList &subItems = {});

    // Appends pieces of one source text and inserts them into the model in
    // one go when it ends (also when a step fails part-way).
    class Batch {
    public:
        Batch(ResultsModel &model, const QString &source);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        // piece must lie inside the source text.
        void append(QStringView piece);

    private:
        ResultsModel &m_model;
        const QString &m_source;
        qsizetype m_base = 0;
        QList<qsizetype> m_pending; // offset, length pairs
    };

    // --- QAbstractItemModel ---
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Flips the check marks of the given stretches of rows (0-based model
    // rows, first and last included, not overlapping) in one go.
    void toggleCheckedRows(const QList<std::pair<int, int>> &stretches);
    void setAllChecked(bool checked);
    void invertAllChecked();

private:
    struct Row {
        qsizetype offset = 0;
        qsizetype length = 0;
        qsizetype extra = -1; // index into m_subItems, or -1
        bool checked = false;
    };

    const Row &row(int row) const; // 1-based, throws when out of range
    void checksChanged(int first, int last);

    QString m_text; // every row's text, end to end
    QList<Row> m_rows;
    QList<QStringList> m_subItems;
    QStringList m_headers;
};

} // namespace tovrik::commands
