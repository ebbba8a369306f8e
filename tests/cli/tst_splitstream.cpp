// tovrik-split's streaming cutter against the window's engine: for random
// messages, every mode and limits from 1 to 400, read through a pipe in small
// blocks or mapped from a file, the pieces must be the engine's pieces.
#include "cli/split.h"
#include "core/cutter.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using tovrik::core::SplitMode;

namespace {
int preadError = 0; // the next pread fails with this once, when not 0
}

// Takes the C library's place in this program: the search of a file for NUL
// meets a signal or a failing disk.
extern "C" ssize_t pread(int fd, void *buffer, size_t count, off_t offset) {
    if (const int error = std::exchange(preadError, 0)) {
        errno = error;
        return -1;
    }
    return ssize_t(syscall(SYS_pread64, fd, buffer, count, offset));
}

namespace {

// The engine's pieces: the message decoded whole, one byte-order mark
// dropped, each piece encoded back.
QList<QByteArray> enginePieces(const QByteArray &input, int limit, SplitMode mode) {
    QByteArrayView bytes(input);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString message = decode(bytes);
    QList<QByteArray> pieces;
    const QStringView view(message);
    tovrik::core::CutMessage(std::u16string_view(view.utf16(), std::size_t(view.size())), limit,
                             mode, [&](std::u16string_view piece) {
                                 pieces.append(
                                     QStringView(piece.data(), qsizetype(piece.size())).toUtf8());
                             });
    return pieces;
}

QByteArray readAll(int fd) {
    QByteArray all;
    char chunk[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
        all.append(chunk, got);
    return all;
}

// The streaming cutter's pieces, NUL-ended so that line breaks stay inside.
// A pipe holds the small inputs used here whole.
QList<QByteArray> streamPieces(const QByteArray &input, int limit, SplitMode mode,
                               std::size_t block, bool fromFile) {
    int in = -1;
    if (fromFile) {
        in = ::memfd_create("message", MFD_CLOEXEC);
        if (::write(in, input.constData(), std::size_t(input.size())) != input.size())
            return {"cannot write the message"};
        ::lseek(in, 0, SEEK_SET);
    } else {
        int ends[2];
        if (::pipe(ends) != 0 ||
            ::write(ends[1], input.constData(), std::size_t(input.size())) != input.size())
            return {"cannot fill the pipe"};
        ::close(ends[1]);
        in = ends[0];
    }
    const int out = ::memfd_create("pieces", MFD_CLOEXEC);
    tovrik::cli::Options options;
    options.limit = limit;
    options.mode = mode;
    options.null = true;
    options.block = block;
    const tovrik::cli::Outcome outcome = tovrik::cli::SplitStream(options, in, out);
    const QByteArray written = readAll(out);
    ::close(in);
    ::close(out);
    if (outcome.exitStatus != 0)
        return {QByteArray::fromStdString(outcome.error)};
    QList<QByteArray> pieces = written.split('\0');
    pieces.removeLast(); // after the last NUL
    return pieces;
}

} // namespace

class SplitStreamTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameAsEngine_data();
    void sameAsEngine();
    void searchForNulFails_data();
    void searchForNulFails();
};

void SplitStreamTest::sameAsEngine_data() {
    QTest::addColumn<QStringList>("tokens");
    QTest::addColumn<int>("mostTokens");

    const auto row = [](const char *name, QStringList tokens, int mostTokens) {
        QTest::newRow(name) << tokens << mostTokens;
    };
    row("ASCII words", {u"a"_s, u"word"_s, u"The"_s, u" "_s, u"."_s, u"\r\n"_s, u"  "_s}, 200);
    row("multi-byte words", {u"слово"_s, u"λέξη"_s, u"é"_s, u"😀"_s, u" "_s, u"."_s, u"\r\n"_s},
        200);
    row("four-byte sequences", {u"😀"_s, u"𝄞"_s, u"a"_s, u" "_s, u"."_s}, 100);
    row("runs of blanks and periods", {u" "_s, u"."_s, u"  "_s, u".."_s, u"a"_s, u"\r\n"_s}, 100);
    row("long words",
        {u"x"_s.repeated(300), u"é"_s.repeated(200), u"😀"_s.repeated(150), u" "_s, u"."_s}, 30);
    row("byte-order marks", {u"\uFEFF"_s, u"a"_s, u" "_s, u"."_s}, 10);
}

void SplitStreamTest::sameAsEngine() {
    QFETCH(QStringList, tokens);
    QFETCH(int, mostTokens);
    QRandomGenerator random(11);
    const std::size_t blocks[] = {1, 2, 3, 5, 7, 64, 4096};
    for (int round = 0; round < 150; ++round) {
        // Characters at every offset of the 64-byte checks and of the reads,
        // over the rounds; the even rounds start at a token.
        QString message = u"p"_s.repeated(round % 2 ? round % 71 : 0);
        const int tokenCount = int(random.bounded(mostTokens + 1));
        for (int i = 0; i < tokenCount; ++i)
            message += tokens[int(random.bounded(qsizetype(tokens.size())))];
        const QByteArray input = message.toUtf8();
        const int limit = int(random.bounded(2) ? random.bounded(1, 21) : random.bounded(1, 401));
        const std::size_t block = blocks[random.bounded(7)];
        for (SplitMode mode : {SplitMode::Exact, SplitMode::Space, SplitMode::Period}) {
            const QList<QByteArray> expected = enginePieces(input, limit, mode);
            for (bool fromFile : {false, true}) {
                const QList<QByteArray> pieces = streamPieces(input, limit, mode, block, fromFile);
                QVERIFY2(pieces == expected,
                         qPrintable(u"round %1, limit %2, mode %3, block %4, %5: %6 pieces, "
                                    u"expected %7; message %8"_s.arg(round)
                                        .arg(limit)
                                        .arg(int(mode))
                                        .arg(block)
                                        .arg(fromFile ? u"file"_s : u"pipe"_s)
                                        .arg(pieces.size())
                                        .arg(expected.size())
                                        .arg(QString::fromLatin1(input.toPercentEncoding()))));
            }
        }
    }
}

void SplitStreamTest::searchForNulFails_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("outcome"); // the first piece, or the error
    QTest::newRow("a signal: searched again") << EINTR << QByteArray("ab");
    QTest::newRow("a failing disk: a read fault")
        << EIO << QByteArray("tovrik-split: standard input: ") + std::strerror(EIO) + '\n';
}

void SplitStreamTest::searchForNulFails() {
    QFETCH(int, error);
    QFETCH(QByteArray, outcome);
    preadError = error;
    const QList<QByteArray> pieces = streamPieces("ab cd", 3, SplitMode::Space, 4096, true);
    preadError = 0;
    QCOMPARE(pieces.value(0), outcome);
}

QTEST_GUILESS_MAIN(SplitStreamTest)
#include "tst_splitstream.moc"
