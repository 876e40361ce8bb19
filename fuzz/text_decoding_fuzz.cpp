// Decoding and splitting the program's text files. Bytes that are not UTF-8 read as
// Windows-1252, one character a byte, whichever codec does it; splitting into lines and
// cutting a long file at a line end lose nothing but line ends.

#include "fuzz_check.h"

#include "lists/text_decoding.h"

#include <QStringDecoder>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

bool is_utf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes); // decoding happens on the conversion to QString
    return !utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);

    const QString table = decode_windows_1252_table(bytes);
    check(table.size() == bytes.size());
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    const QString text = decode_text(bytes);
    check(text == (is_utf8(body) ? QString::fromUtf8(body) : decode_windows_1252_table(body)));

    // The lines joined with LF are the text with every line end made LF, the last one dropped.
    const QStringList lines = split_text_lines(text);
    QString joined = lines.join(u'\n');
    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (expected.endsWith(u'\n'))
        expected.chop(1);
    check(joined == expected);

    // The limit comes from the first two bytes, so that it falls anywhere in short inputs.
    const qsizetype limit = size >= 2 ? (data[0] | data[1] << 8) % (bytes.size() + 1) : 0;
    const QByteArray cut = cut_at_line_end(bytes, limit);
    check(cut.size() <= limit && bytes.startsWith(cut));
    if (cut.size() < limit) {
        const QByteArray dropped = bytes.sliced(cut.size(), limit - cut.size());
        check(cut.endsWith('\n') || cut.endsWith('\r'));
        check(!dropped.contains('\n') && !dropped.contains('\r'));
    }
    return 0;
}
