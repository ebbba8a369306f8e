// The hand pointer file: a real Windows cursor that Qt decodes, a white hand
// with a black outline on a transparent ground, its hot spot on the fingertip.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

namespace {

bool isWhite(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 255;
}
bool isBlack(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0;
}

} // namespace

class CursorTest : public QObject {
    Q_OBJECT

private:
    QByteArray m_bytes;
    QImage m_image;
    int m_hotX = -1;
    int m_hotY = -1;

private Q_SLOTS:
    void initTestCase() {
        QFile file(QStringLiteral(TOVRIK_CURSOR_FILE));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
        m_bytes = file.readAll();
        QVERIFY(m_bytes.size() > 22);
        const auto *d = reinterpret_cast<const uchar *>(m_bytes.constData());
        m_hotX = qFromLittleEndian<quint16>(d + 10);
        m_hotY = qFromLittleEndian<quint16>(d + 12);

        QImageReader reader(QStringLiteral(TOVRIK_CURSOR_FILE));
        m_image = reader.read();
        QVERIFY2(!m_image.isNull(), qPrintable(reader.errorString()));
        m_image = m_image.convertToFormat(QImage::Format_ARGB32);
    }

    void directory() {
        const auto *d = reinterpret_cast<const uchar *>(m_bytes.constData());
        QCOMPARE(qFromLittleEndian<quint16>(d + 0), quint16(0)); // reserved
        QCOMPARE(qFromLittleEndian<quint16>(d + 2), quint16(2)); // cursor, not icon
        QCOMPARE(qFromLittleEndian<quint16>(d + 4), quint16(1)); // one image
        QCOMPARE(int(d[6]), 32);
        QCOMPARE(int(d[7]), 32);
        const quint32 size = qFromLittleEndian<quint32>(d + 14);
        const quint32 offset = qFromLittleEndian<quint32>(d + 18);
        QCOMPARE(offset, quint32(22));
        QCOMPARE(qsizetype(offset + size), m_bytes.size());
        // BITMAPINFOHEADER: 32x(2*32), 32 bits a pixel, uncompressed, then the
        // pixels and a 1-bit AND mask.
        QCOMPARE(qFromLittleEndian<quint32>(d + 22), quint32(40));
        QCOMPARE(qFromLittleEndian<qint32>(d + 26), 32);
        QCOMPARE(qFromLittleEndian<qint32>(d + 30), 64);
        QCOMPARE(qFromLittleEndian<quint16>(d + 36), quint16(32));
        QCOMPARE(qFromLittleEndian<quint32>(d + 38), quint32(0));
        QCOMPARE(size, quint32(40 + 32 * 32 * 4 + 32 * 4));
    }

    void qtReadsIt() {
        QCOMPARE(m_image.size(), QSize(32, 32));
        QVERIFY(m_image.hasAlphaChannel());
    }

    void whiteHandBlackOutline() {
        int white = 0, black = 0, clear = 0, other = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb p = m_image.pixel(x, y);
                if (qAlpha(p) == 0)
                    ++clear;
                else if (isWhite(p))
                    ++white;
                else if (isBlack(p))
                    ++black;
                else
                    ++other;
            }
        QCOMPARE(other, 0);
        QVERIFY2(white > 200, qPrintable(QString::number(white)));
        QVERIFY2(black > 50, qPrintable(QString::number(black)));
        QVERIFY2(clear > 300, qPrintable(QString::number(clear)));
        // No white pixel touches the transparent ground: the outline is closed.
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                if (!isWhite(m_image.pixel(x, y)))
                    continue;
                QVERIFY2(x > 0 && y > 0 && x < 31 && y < 31, "white at the border");
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                    QVERIFY2(
                        qAlpha(m_image.pixel(x + d.x(), y + d.y())) != 0,
                        qPrintable(QStringLiteral("white %1,%2 touches the ground").arg(x).arg(y)));
            }
    }

    void hotSpotOnFingertip() {
        QVERIFY(m_hotX >= 0 && m_hotX < 32 && m_hotY >= 0 && m_hotY < 32);
        QVERIFY(isBlack(m_image.pixel(m_hotX, m_hotY)));
        // Nothing drawn above the hot spot: it is the top of the hand.
        for (int y = 0; y < m_hotY; ++y)
            for (int x = 0; x < 32; ++x)
                QCOMPARE(qAlpha(m_image.pixel(x, y)), 0);
        // The finger goes up: straight below the tip is white for a good way,
        // and the finger is narrow there (a pointing finger, not a fist).
        for (int y = m_hotY + 1; y < m_hotY + 10; ++y) {
            QVERIFY2(isWhite(m_image.pixel(m_hotX, y)), qPrintable(QString::number(y)));
            // The white run through the hot spot's column, between outlines.
            int left = m_hotX, right = m_hotX;
            while (left > 0 && isWhite(m_image.pixel(left - 1, y)))
                --left;
            while (right < 31 && isWhite(m_image.pixel(right + 1, y)))
                ++right;
            const int width = right - left + 1;
            QVERIFY2(width <= 6, qPrintable(QStringLiteral("row %1 is %2 wide").arg(y).arg(width)));
        }
    }

    void copiedBesideTheBuiltProgram() {
        QFile built(QStringLiteral(TOVRIK_BUILT_CURSOR_FILE));
        QVERIFY2(built.open(QIODevice::ReadOnly), qPrintable(built.errorString()));
        QCOMPARE(built.readAll(), m_bytes);
    }
};

QTEST_MAIN(CursorTest)
#include "tst_cursor.moc"
