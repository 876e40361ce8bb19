#include "lists/list_file.h"

#include "lists/text_decoding.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav {

namespace {

ListFileRead failure(int error) {
    ListFileRead read;
    read.error = error;
    return read;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

ListFileRead read_list_file(const QString& path) {
    if (path.isEmpty())
        return failure(ENOENT);
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    FileDescriptor file(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return failure(errno);

    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return failure(errno);
    if (S_ISDIR(info.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(info.st_mode))
        return failure(EINVAL);

    // Up to one byte past the limit, to see whether the file is longer (it may grow while
    // it is read).
    const qint64 wanted = kMaxListFileBytes + 1;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(std::min<qint64>(info.st_size, wanted)));
    char buffer[65536];
    while (bytes.size() < wanted) {
        const auto want =
            static_cast<size_t>(std::min<qint64>(sizeof buffer, wanted - bytes.size()));
        const ssize_t count = ::read(file.get(), buffer, want);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno);
        }
        if (count == 0)
            break;
        bytes.append(buffer, static_cast<qsizetype>(count));
    }

    ListFileRead read;
    read.opened = true;
    read.cut = bytes.size() > kMaxListFileBytes;
    read.bytes = read.cut ? cut_at_line_end(bytes, kMaxListFileBytes) : std::move(bytes);
    return read;
}

} // namespace kestrav
