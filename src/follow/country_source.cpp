#include "follow/country_source.h"

#include "lists/prefix_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The bytes of the regular file at `path`, never waiting: a FIFO without a writer, a device
// that never ends (/dev/zero) or a file over the limit is refused at once. The type is
// looked at before opening, so that no device is opened (opening a serial port raises its
// DTR and RTS lines), and again on the descriptor opened, which is what counts: the path may
// have been replaced in between. A file that grows while read is cut at the limit.
std::optional<QByteArray> read_regular_file(const QString& path, CountryFileProblem& why) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        why = CountryFileProblem::Unreadable;
        return std::nullopt;
    }
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        why = CountryFileProblem::Unreadable;
        return std::nullopt;
    }
    if (info.st_size > kLargestCountryFile) {
        why = CountryFileProblem::NotACountryFile;
        return std::nullopt;
    }
    QByteArray bytes;
    constexpr qsizetype kChunk = 64 * 1024;
    for (;;) {
        const qsizetype at = bytes.size();
        bytes.resize(at + kChunk);
        const ssize_t got = ::read(file.get(), bytes.data() + at, kChunk);
        if (got < 0 && errno == EINTR) {
            bytes.resize(at);
            continue;
        }
        if (got < 0) {
            why = CountryFileProblem::Unreadable;
            return std::nullopt;
        }
        bytes.resize(at + got);
        if (bytes.size() > kLargestCountryFile) {
            why = CountryFileProblem::NotACountryFile;
            return std::nullopt;
        }
        if (got == 0)
            return bytes;
    }
}

} // namespace

std::optional<CountryTable> read_country_file(const QString& path, CountryFileProblem* problem) {
    CountryFileProblem why = CountryFileProblem::None;
    const auto fail = [problem, &why]() -> std::optional<CountryTable> {
        if (problem != nullptr)
            *problem = why;
        return std::nullopt;
    };
    const std::optional<QByteArray> bytes = read_regular_file(path, why);
    if (!bytes)
        return fail();
    CountryTable table = CountryTable::from_country_file(QString::fromLatin1(*bytes));
    if (table.isEmpty()) {
        why = CountryFileProblem::NotACountryFile;
        return fail();
    }
    if (problem != nullptr)
        *problem = CountryFileProblem::None;
    return table;
}

QString country_file_dialog_start(const QString& chosen, const QString& system_file) {
    if (!chosen.isEmpty()) {
        const QFileInfo file(chosen);
        if (file.isFile())
            return file.absoluteFilePath();
        if (file.absoluteDir().exists())
            return file.absolutePath();
    }
    if (QFileInfo(system_file).isFile())
        return system_file;
    return QDir::homePath();
}

CountryTable load_countries(const QString& path, bool* from_file) {
    std::optional<CountryTable> table = read_country_file(path);
    if (from_file != nullptr)
        *from_file = table.has_value();
    if (table)
        return std::move(*table);
    return CountryTable::from_prefix_entries(prefix_table_entries());
}

} // namespace kestrav
