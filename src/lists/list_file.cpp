#include "lists/list_file.h"

#include <QFile>
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
    if (info.st_size > kMaxListFileBytes)
        return failure(EFBIG);

    // The file may grow while it is read: read up to one byte past the limit to see it.
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno);
        }
        if (count == 0)
            break;
        bytes.append(buffer, static_cast<qsizetype>(count));
        if (bytes.size() > kMaxListFileBytes)
            return failure(EFBIG);
    }

    ListFileRead read;
    read.opened = true;
    read.bytes = std::move(bytes);
    return read;
}

} // namespace kestrav
