#pragma once
// Reading a personal list file whole, with the system's error number when it cannot be
// read, for the "Can't open file ERR:" message.

#include <QByteArray>
#include <QString>

namespace kestrav {

// Largest list file read; a longer one is refused with EFBIG rather than filling memory.
inline constexpr qint64 kMaxListFileBytes = 16 * 1024 * 1024;

struct ListFileRead {
    bool opened = false;
    int error = 0; // errno when not opened: 2 missing, 13 refused, 21 a directory, ...
    QByteArray bytes;
};

// Opens the file for reading only, so its permissions are never touched and a read-only
// file stays read-only. Only regular files are read: a directory fails with EISDIR, any
// other kind of file (a FIFO, a device) with EINVAL; a file over kMaxListFileBytes fails
// with EFBIG.
ListFileRead read_list_file(const QString& path);

} // namespace kestrav
