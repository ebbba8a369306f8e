// tovrik-split: the splitting engine for scripts and pipes.
#include "cutter.h"
#include "limit.h"
#include "utf8.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringEncoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const char Usage[] = "Usage: tovrik-split [--limit X] [--mode space|exact|period] [--null] [FILE]\n"
                     "\n"
                     "Cuts a text message into pieces that fit a text-message character limit\n"
                     "and writes each piece followed by a line feed (or a NUL with --null).\n"
                     "Reads FILE, or standard input when FILE is missing or \"-\", as UTF-8.\n"
                     "\n"
                     "  --limit X   the character limit, 1 to 32767 (default 160); counted in\n"
                     "              UTF-16 code units, as text messages count them\n"
                     "  --mode M    space   whole words, cut at a blank (default)\n"
                     "              exact   exactly X characters a piece\n"
                     "              period  whole sentences, cut after a period\n"
                     "  --null      end each piece with a NUL byte instead of a line feed\n"
                     "  --help      show this help\n"
                     "  --version   show the version\n";

int usageError(const std::string &text) {
    std::fprintf(stderr, "tovrik-split: %s\n%s", text.c_str(), Usage);
    return 2;
}

bool readAll(int fd, QByteArray &into) {
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        into.append(chunk, got);
    }
}

// Buffered output to standard output that notices write failures.
class Output {
public:
    // An ASCII piece is its own UTF-8.
    void write(QLatin1StringView piece, char end) {
        m_buffer.append(piece.data(), std::size_t(piece.size()));
        m_buffer.push_back(end);
        if (m_buffer.size() >= (1u << 20))
            flush();
    }
    // The piece as UTF-8, encoded straight into the buffer, then the end byte.
    void write(QStringView piece, char end) {
        const std::size_t used = m_buffer.size();
        m_buffer.resize(used + std::size_t(m_utf8.requiredSpace(piece.size())) + 1);
        char *out = m_utf8.appendToBuffer(m_buffer.data() + used, piece);
        *out++ = end;
        m_buffer.resize(std::size_t(out - m_buffer.data()));
        if (m_buffer.size() >= (1u << 20))
            flush();
    }
    bool flush() {
        const char *p = m_buffer.data();
        std::size_t left = m_buffer.size();
        while (left > 0) {
            const ssize_t done = ::write(STDOUT_FILENO, p, left);
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                m_failed = true;
                break;
            }
            p += done;
            left -= std::size_t(done);
        }
        m_buffer.clear();
        return !m_failed;
    }

private:
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    std::string m_buffer;
    bool m_failed = false;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication::setApplicationName(u"tovrik-split"_s);

    QString limitText = u"160"_s;
    tovrik::SplitMode mode = tovrik::SplitMode::Space;
    bool nul = false;
    const char *file = nullptr;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (!optionsEnded && arg == "--version") {
            std::printf("tovrik-split %s\n", TOVRIK_VERSION);
            return 0;
        }
        if (!optionsEnded && (arg == "--limit" || arg.rfind("--limit=", 0) == 0)) {
            if (arg == "--limit") {
                if (++i >= argc)
                    return usageError("--limit needs a value");
                limitText = QString::fromLocal8Bit(argv[i]);
            } else {
                limitText = QString::fromLocal8Bit(arg.substr(8));
            }
        } else if (!optionsEnded && (arg == "--mode" || arg.rfind("--mode=", 0) == 0)) {
            std::string value;
            if (arg == "--mode") {
                if (++i >= argc)
                    return usageError("--mode needs a value");
                value = argv[i];
            } else {
                value = arg.substr(7);
            }
            if (value == "space")
                mode = tovrik::SplitMode::Space;
            else if (value == "exact")
                mode = tovrik::SplitMode::Exact;
            else if (value == "period")
                mode = tovrik::SplitMode::Period;
            else
                return usageError("unknown mode '" + value + "' (space, exact or period)");
        } else if (!optionsEnded && arg == "--null") {
            nul = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (file) {
            return usageError("only one FILE can be given");
        } else {
            file = argv[i];
        }
    }

    const tovrik::ParsedLimit limit = tovrik::ParseLimit(limitText);
    if (limit.error == tovrik::LimitError::NotNumeric) {
        std::fputs("Character limit must be numeric entry.\n", stderr);
        return 2;
    }
    if (limit.error == tovrik::LimitError::OutOfRange) {
        std::fputs("Character limit must be between 1 and 32767.\n", stderr);
        return 2;
    }

    QByteArray input;
    int fd = STDIN_FILENO;
    if (file && std::strcmp(file, "-") != 0) {
        fd = ::open(file, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "tovrik-split: %s: %s\n", file, std::strerror(errno));
            return 1;
        }
    }
    if (!readAll(fd, input)) {
        std::fprintf(stderr, "tovrik-split: %s: %s\n", file ? file : "standard input",
                     std::strerror(errno));
        return 1;
    }
    if (fd != STDIN_FILENO)
        ::close(fd);

    bool ascii = false;
    const std::ptrdiff_t bad = tovrik::FirstInvalidUtf8(input.constData(), input.size(), &ascii);
    if (bad >= 0) {
        std::fprintf(stderr, "tovrik-split: invalid UTF-8 at byte %td\n", bad);
        return 1;
    }

    Output out;
    const char end = nul ? '\0' : '\n';
    if (ascii) {
        // Plain ASCII is cut as it stands: a byte is a code unit.
        tovrik::CutMessage(QLatin1StringView(input), limit.limit, mode,
                           [&](QLatin1StringView piece) { out.write(piece, end); });
    } else {
        // A byte-order mark marks the encoding; it is not part of the message.
        QByteArrayView bytes(input);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        const QString message = QString::fromUtf8(bytes);
        input.clear();
        input.squeeze();
        tovrik::CutMessage(message, limit.limit, mode,
                           [&](QStringView piece) { out.write(piece, end); });
    }
    if (!out.flush()) {
        std::fprintf(stderr, "tovrik-split: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
