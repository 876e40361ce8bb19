#include "lists/text_decoding.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace kestrav {
namespace {

TEST(TextDecoding, AccentedNamesReadTheSameInBothEncodings) {
    const QString expected = QStringLiteral(u"R\u00e9union \u00e9t\u00e9 Hawa\u00ef");
    EXPECT_EQ(decode_text(QByteArray("R\xC3\xA9union \xC3\xA9t\xC3\xA9 Hawa\xC3\xAF")), expected);
    EXPECT_EQ(decode_text(QByteArray("R\xE9union \xE9t\xE9 Hawa\xEF")), expected);
}

TEST(TextDecoding, ChoosesTheEncodingForTheWholeText) {
    const struct {
        const char* name;
        QByteArray bytes;
        QString text;
    } rows[] = {
        {"plain ASCII", QByteArray("F\tFrance\t46N\t2E\r\n"),
         QStringLiteral("F\tFrance\t46N\t2E\r\n")},
        {"byte order mark dropped", QByteArray("\xEF\xBB\xBF[Liste]"), QStringLiteral("[Liste]")},
        {"euro sign of the code page", QByteArray("\x80 5"), QStringLiteral(u"\u20ac 5")},
        {"typographic quotes", QByteArray("\x93x\x94"), QStringLiteral(u"\u201cx\u201d")},
        {"truncated sequence at the end", QByteArray("caf\xC3"), QStringLiteral(u"caf\u00c3")},
        {"overlong sequence", QByteArray("\xC0\xAF"), QStringLiteral(u"\u00c0\u00af")},
        {"valid and invalid mixed: all code page", QByteArray("\xC3\xA9 \xE9"),
         QStringLiteral(u"\u00c3\u00a9 \u00e9")},
        {"empty", QByteArray(), QString()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(decode_text(row.bytes), row.text) << row.name;
}

TEST(TextDecoding, OwnCodePageTableMatchesKnownCharacters) {
    const struct {
        unsigned char byte;
        char16_t code;
    } rows[] = {{0x41, u'A'},   {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160}, {0x92, 0x2019},
                {0x99, 0x2122}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF}};
    for (const auto& row : rows) {
        const QString text = decode_windows_1252_table(QByteArray(1, static_cast<char>(row.byte)));
        ASSERT_EQ(text.size(), 1);
        EXPECT_EQ(text.at(0).unicode(), row.code) << int(row.byte);
    }
}

// When the system codec exists, the fallback table must give exactly what it gives for
// every byte the code page defines.
TEST(TextDecoding, OwnCodePageTableAgreesWithTheSystemCodec) {
    QStringDecoder codec("windows-1252", QStringDecoder::Flag::Stateless);
    if (!codec.isValid())
        GTEST_SKIP() << "no system Windows-1252 codec";
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
            continue; // undefined in the code page; the codecs differ on them
        const QByteArray bytes(1, static_cast<char>(byte));
        EXPECT_EQ(decode_windows_1252_table(bytes), codec.decode(bytes)) << byte;
    }
}

TEST(TextLines, SplitAtEveryKindOfLineEnd) {
    const struct {
        const char* name;
        const char* text;
        QStringList lines;
    } rows[] = {
        {"empty text", "", {}},
        {"no line end", "a", {"a"}},
        {"final line end adds nothing", "a\n", {"a"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"CR alone", "a\rb", {"a", "b"}},
        {"LF alone", "a\nb", {"a", "b"}},
        {"empty line kept", "a\n\nb", {"a", "", "b"}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"LF then CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"one line end only", "\n", {""}},
        {"blank final line", "a\r\n\r\n", {"a", ""}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(split_text_lines(QString::fromLatin1(row.text)), row.lines) << row.name;
}

} // namespace
} // namespace kestrav
