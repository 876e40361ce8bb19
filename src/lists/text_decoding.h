#pragma once
// Text files of the program (personal lists, the settings file) are read as UTF-8 when
// they are valid UTF-8 and as Windows-1252 otherwise, so that files written by older
// tools in that code page keep their accented names.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kestrav {

// The text of a whole file: a leading UTF-8 byte order mark is dropped; the rest is
// decoded as UTF-8 when it is valid UTF-8, otherwise as Windows-1252.
QString decode_text(const QByteArray& bytes);

// Windows-1252 by the program's own table, used when the system offers no such codec.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the
// control characters of the same number, as the Windows conversion does.
QString decode_windows_1252_table(const QByteArray& bytes);

// The first `limit` bytes of a file's contents that were longer than that, cut after the
// last line end (CR or LF) within them, so that no line and no multi-byte character is
// kept half; the whole first `limit` bytes when they hold no line end.
QByteArray cut_at_line_end(const QByteArray& bytes, qsizetype limit);

// The lines of a text whose lines end in CR LF, LF or CR. A line end at the very end does
// not add an empty line; an empty text has no lines.
QStringList split_text_lines(const QString& text);

// Calls `visit` with each line of `text` as split_text_lines would give it, without
// keeping them all.
template <typename Visit> void for_each_text_line(QStringView text, Visit&& visit) {
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            visit(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < size)
        visit(text.sliced(start));
}

} // namespace kestrav
