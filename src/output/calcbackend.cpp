#include "output/calcbackend.h"

#include "shell/applicationtitle.h"
#include "shell/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tovrik::output {

namespace {

// Two columns wide in a monospaced or CJK font.
bool IsWide(char32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0x303E) ||
           (code >= 0x3041 && code <= 0x33FF) || (code >= 0x3400 && code <= 0x4DBF) ||
           (code >= 0x4E00 && code <= 0x9FFF) || (code >= 0xA000 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x1F300 && code <= 0x1F64F) ||
           (code >= 0x1F900 && code <= 0x1F9FF) || (code >= 0x20000 && code <= 0x3FFFD);
}

int CharacterWidth(char32_t code) {
    if (code < 0x300)
        return 1;
    switch (QChar::category(code)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    default:
        return IsWide(code) ? 2 : 1;
    }
}

void CheckColumn(int column) {
    if (column < 1 || column > MaxSheetColumns)
        throw shell::Failure(
            u"Column %1 is outside the sheet (1 to %2)."_s.arg(column).arg(MaxSheetColumns));
}

// cause: errno after a failed file operation (a full disk), 0 when unknown.
QString XlsxError(const QString &path, lxw_error error, int cause = 0) {
    QString text = QString::fromUtf8(lxw_strerror(error));
    if (text.endsWith(u'.'))
        text.chop(1); // the sentence ends below
    if (cause != 0)
        text += u" ("_s + QString::fromLocal8Bit(std::strerror(cause)) + u')';
    return u"Could not write the spreadsheet file %1: %2."_s.arg(QDir::toNativeSeparators(path),
                                                                 text);
}

// A cell's text as the workbook's XML holds it. XML cannot hold NUL, U+FFFE
// or U+FFFF, and the format writes such characters as _xHHHH_ (Calc reads
// _xH_ to _xHHHH_); so a text that reads like that escape must have its
// underscore escaped, or it comes back as the character. (libxlsxwriter
// escapes the other control characters itself, and stops at a NUL.)
QByteArray CellText(const QString &text) {
    static const QRegularExpression special(
        u"\\x{0}|\\x{FFFE}|\\x{FFFF}|_(?=x[0-9A-Fa-f]{1,4}_)"_s);
    QString escaped;
    qsizetype copied = 0;
    for (auto it = special.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        escaped += QStringView(text).sliced(copied, match.capturedStart() - copied);
        const char16_t code = match.capturedView().front().unicode();
        escaped += u"_x"_s + QString::number(code, 16).toUpper().rightJustified(4, u'0') + u'_';
        copied = match.capturedEnd();
    }
    if (copied == 0)
        return text.toUtf8();
    escaped += QStringView(text).sliced(copied);
    return escaped.toUtf8();
}

// Each export's own folder, made by QTemporaryDir, mode 0700.
const QString ExportFolderTemplate = u"Tovrik-XXXXXX"_s;
const QString ExportFileName = QString::fromUtf16(shell::ProductName) + u".xlsx"_s;
// Calc has read the file long before then.
constexpr time_t ExportFolderLifetime = 5 * 60;

// QDir::tempPath() is empty when TMPDIR names a folder that does not exist,
// and the export folder would then go to "/".
QString TemporaryFolder() {
    const QString path = QDir::tempPath();
    return path.isEmpty() ? QDir::cleanPath(qEnvironmentVariable("TMPDIR")) : path;
}

// Nothing but the workbook, as a regular file.
bool HoldsOnlyTheWorkbook(int folder, const QByteArray &workbook) {
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listing < 0 ? nullptr : fdopendir(listing);
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return false;
    }
    bool only = true;
    while (const dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat file {};
        only = only && workbook == entry->d_name &&
               fstatat(folder, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISREG(file.st_mode);
    }
    closedir(dir);
    return only;
}

} // namespace

void RemoveOldSpreadsheetFiles() {
    const QString temp = TemporaryFolder();
    static const QRegularExpression exportName(
        QRegularExpression::anchoredPattern(u"Tovrik-[A-Za-z0-9]{6}"_s));
    const QByteArray workbook = QFile::encodeName(ExportFileName);
    const time_t before = std::time(nullptr) - ExportFolderLifetime;
    const QStringList names =
        QDir(temp).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!exportName.match(name).hasMatch())
            continue;
        // Only a folder we made: not a link, ours, private, old enough, and
        // holding nothing we did not put there.
        const QByteArray path = QFile::encodeName(temp + u'/' + name);
        const int folder = open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0)
            continue;
        struct stat info {};
        const bool ours = fstat(folder, &info) == 0 && info.st_uid == geteuid() &&
                          (info.st_mode & 07777) == 0700 && info.st_mtime < before &&
                          HoldsOnlyTheWorkbook(folder, workbook);
        if (ours)
            unlinkat(folder, workbook.constData(), 0);
        close(folder);
        if (ours)
            rmdir(path.constData());
    }
}

QString FindCalcProgram() {
    for (const auto &name : {u"soffice"_s, u"libreoffice"_s}) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

int TextWidth(const QString &text) {
    int widest = 0;
    int line = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'\n') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        char32_t code = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            ++i;
        }
        line += CharacterWidth(code);
    }
    return std::min(std::max(widest, line), MaxColumnWidth);
}

void CalcWorksheet::setCell(int row, int column, const QString &text) {
    if (row < 1 || row > MaxSheetRows)
        throw shell::Failure(
            u"Row %1 is outside the sheet (1 to %2)."_s.arg(row).arg(MaxSheetRows));
    CheckColumn(column);
    if (text.size() > MaxCellTextLength)
        throw shell::Failure(
            u"The text for row %1, column %2 has %3 characters; a cell holds at most %4."_s.arg(row)
                .arg(column)
                .arg(text.size())
                .arg(MaxCellTextLength));
    // The file holds some characters as escapes of seven, and the writer
    // counts those against the same limit.
    if (text.size() > MaxCellTextLength / 7) {
        const QByteArray stored = CellText(text);
        const auto characters =
            std::count_if(stored.begin(), stored.end(), [](char b) { return (b & 0xC0) != 0x80; });
        if (characters > MaxCellTextLength)
            throw shell::Failure(
                u"The text for row %1, column %2 has characters that the file holds as escapes "
                u"(NUL, U+FFFE, U+FFFF or text that reads like _x0041_); with them it is %3 "
                u"characters long, and a cell holds at most %4."_s.arg(row)
                    .arg(column)
                    .arg(characters)
                    .arg(MaxCellTextLength));
    }

    const auto r = std::size_t(row - 1);
    const auto c = std::size_t(column - 1);
    if (text.isEmpty()) {
        // Clearing never grows the sheet.
        if (r < m_rows.size() && c < m_rows[r].size())
            m_rows[r][c] = QString();
        return;
    }
    if (m_rows.size() <= r)
        m_rows.resize(r + 1);
    auto &cells = m_rows[r];
    if (cells.size() <= c)
        cells.resize(c + 1);
    cells[c] = text;
}

void CalcWorksheet::autofitColumn(int column) {
    CheckColumn(column);
    const auto c = std::size_t(column - 1);
    int width = 0;
    for (const auto &cells : m_rows) {
        if (c < cells.size())
            width = std::max(width, TextWidth(cells[c]));
    }
    if (width == 0)
        return; // an empty column keeps its width, as in Excel
    if (m_widths.size() <= c)
        m_widths.resize(c + 1);
    m_widths[c] = width;
}

void CalcWorksheet::autofitColumns() {
    std::vector<int> widths;
    for (const auto &cells : m_rows) {
        if (widths.size() < cells.size())
            widths.resize(cells.size());
        for (std::size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], TextWidth(cells[c]));
    }
    if (m_widths.size() < widths.size())
        m_widths.resize(widths.size());
    for (std::size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] > 0)
            m_widths[c] = widths[c];
    }
}

int CalcWorksheet::columnWidth(int column) const {
    const auto c = std::size_t(column - 1);
    return column >= 1 && c < m_widths.size() ? m_widths[c] : 0;
}

void CalcWorksheet::writeXlsx(const QString &path) const {
    const QByteArray fileName = QFile::encodeName(path);
    // libxlsxwriter's scratch files stay next to the file, out of shared /tmp.
    QByteArray scratch = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    // Rows go out in ascending order anyway, and the sheet never holds a
    // second copy of every cell.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = scratch.data();

    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book)
        throw shell::Failure(XlsxError(path, LXW_ERROR_MEMORY_MALLOC_FAILED));

    lxw_error error = LXW_NO_ERROR;
    if (lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr)) {
        for (std::size_t c = 0; c < m_widths.size() && !error; ++c) {
            if (m_widths[c] > 0)
                error =
                    worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), m_widths[c], nullptr);
        }
        for (std::size_t r = 0; r < m_rows.size() && !error; ++r) {
            const auto &cells = m_rows[r];
            for (std::size_t c = 0; c < cells.size() && !error; ++c) {
                if (cells[c].isEmpty())
                    continue;
                // Always a string: "=1+1" or "007" must not become a formula or number.
                error = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                               CellText(cells[c]).constData(), nullptr);
            }
        }
    } else {
        error = LXW_ERROR_MEMORY_MALLOC_FAILED;
    }
    // Closing frees the workbook even after an error. Most of the file is
    // written then; a failed write or close leaves its cause in errno.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    const int cause = errno;
    if (!error)
        error = closed;
    if (error) {
        QFile::remove(path);
        throw shell::Failure(XlsxError(path, error, closed != LXW_NO_ERROR ? cause : 0));
    }
}

CalcApplication::CalcApplication(QString program, ProgramLauncher launcher)
    : m_program(std::move(program)), m_launcher(std::move(launcher)) {
    if (!m_launcher)
        m_launcher = [](const QString &program, const QStringList &arguments) {
            return QProcess::startDetached(program, arguments);
        };
}

shell::Workbook &CalcApplication::addWorkbook() {
    m_workbooks.push_back({std::make_unique<CalcWorkbook>(), false});
    return *m_workbooks.back().workbook;
}

void CalcApplication::setVisible(bool visible) {
    if (!visible)
        return;
    RemoveOldSpreadsheetFiles();
    const QString temp = TemporaryFolder();
    for (auto &entry : m_workbooks) {
        if (entry.shown)
            continue;
        // Removed again unless Calc was started: Calc reads the file after we
        // return, so a started one's file stays until a later export or exit.
        QTemporaryDir folder(temp + u'/' + ExportFolderTemplate);
        if (!folder.isValid())
            throw shell::Failure(
                u"Could not create a folder for the spreadsheet file in %1: %2."_s.arg(
                    QDir::toNativeSeparators(temp), folder.errorString()));
        const QString file = folder.filePath(ExportFileName);
        entry.workbook->sheet().writeXlsx(file);
        // -n: the file is the template of a new, untitled document.
        if (!m_launcher(m_program, {u"--calc"_s, u"-n"_s, file}))
            throw shell::Failure(u"Could not start %1 to show the spreadsheet."_s.arg(
                QDir::toNativeSeparators(m_program)));
        folder.setAutoRemove(false);
        entry.shown = true;
    }
}

std::unique_ptr<shell::SpreadsheetApplication> CreateCalcApplication() {
    QString program = FindCalcProgram();
    if (program.isEmpty())
        return nullptr;
    return std::make_unique<CalcApplication>(std::move(program));
}

} // namespace tovrik::output
