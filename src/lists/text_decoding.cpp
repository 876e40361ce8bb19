#include "lists/text_decoding.h"

#include <QStringDecoder>
#include <array>

#include <algorithm>

namespace kestrav {

namespace {

// Unicode code points of the bytes 0x80 to 0x9F in Windows-1252; the rest of the code
// page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

QByteArrayView without_bom(const QByteArray& bytes) {
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    return view;
}

} // namespace

QString decode_windows_1252_table(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x80 && code <= 0x9F)
            text.append(QChar(kHighControls[code - 0x80]));
        else
            text.append(QChar(static_cast<char16_t>(code)));
    }
    return text;
}

QString decode_text(const QByteArray& bytes) {
    const QByteArrayView body = without_bom(bytes);

    // Stateless: the whole file is one chunk; an incomplete sequence at the end is an error.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;

    QStringDecoder cp1252("windows-1252", QStringDecoder::Flag::Stateless);
    if (cp1252.isValid()) {
        text = cp1252.decode(body);
        if (!cp1252.hasError())
            return text;
    }
    return decode_windows_1252_table(body.toByteArray());
}

QByteArray cut_at_line_end(const QByteArray& bytes, qsizetype limit) {
    const QByteArray head = bytes.first(std::min(limit, bytes.size()));
    const qsizetype end = std::max(head.lastIndexOf('\n'), head.lastIndexOf('\r'));
    return end < 0 ? head : head.first(end + 1);
}

QStringList split_text_lines(const QString& text) {
    QStringList lines;
    for_each_text_line(text, [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

} // namespace kestrav
