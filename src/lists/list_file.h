#pragma once
// Reading a personal list file whole, with the system's error number when it cannot be
// read, for the "Can't open file ERR:" message.

#include <QByteArray>
#include <QString>

namespace kestrav {

// Most bytes of a list file read, a hundred times what a list of a few thousand stations
// takes; a longer file is read up to the last line end within this many bytes.
inline constexpr qint64 kMaxListFileBytes = 4 * 1024 * 1024;

struct ListFileRead {
    bool opened = false;
    int error = 0; // errno when not opened: 2 missing, 13 refused, 21 a directory, ...
    QByteArray bytes;
    bool cut = false; // the file was longer than kMaxListFileBytes
};

// Opens the file for reading only, so its permissions are never touched and a read-only
// file stays read-only. Only regular files are read: a directory fails with EISDIR, any
// other kind of file (a FIFO, a device) with EINVAL.
ListFileRead read_list_file(const QString& path);

} // namespace kestrav
