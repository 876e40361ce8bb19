#include "settings/settings_file.h"

#include "lists/text_decoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav {

namespace {

QString with_trailing_slash(const QString& directory) {
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

// Unicode code points of the bytes 0x80 to 0x9F; the five bytes the code page leaves
// undefined stand for the control characters of the same number, as in the reader.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

std::optional<char> windows_1252_byte(char16_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == code)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

std::optional<QByteArray> encode_windows_1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const std::optional<char> byte = windows_1252_byte(c.unicode());
        if (!byte)
            return std::nullopt;
        bytes.append(*byte);
    }
    return bytes;
}

bool write_all(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Removes a temporary file left by an earlier run, giving a read-only one its owner's
// write permission back first. True when nothing is left under the name.
bool remove_stale_file(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT;
    if (S_ISREG(info.st_mode))
        ::chmod(path.constData(), (info.st_mode & 07777) | S_IWUSR);
    return ::unlink(path.constData()) == 0;
}

// Writes the complete file, takes its write permission away and waits until it is on the
// disk. The file is removed again on any failure.
bool write_temporary_file(const QByteArray& path, const QByteArray& bytes) {
    const int fd =
        ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = write_all(fd, bytes) && ::fstat(fd, &info) == 0 &&
              ::fchmod(fd, info.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0 &&
              ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(path.constData());
    return ok;
}

// Makes a rename in the directory durable. A failure here cannot be undone any more and
// the new file is in place, so it is not reported.
void sync_directory(const QByteArray& directory) {
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The file a settings path finally names: symbolic links are followed (relative ones from
// the link's own directory), so that a settings file kept elsewhere through a link is
// saved there and the link stays. The target need not exist yet.
QByteArray final_target(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
        if (length <= 0 || length >= target.size())
            return path;
        target.truncate(length);
        if (!target.startsWith('/'))
            target = path.left(path.lastIndexOf('/') + 1) + target;
        path = target;
    }
    return path;
}

} // namespace

QString installed_data_directory(const QString& exe_directory) {
    if (exe_directory.isEmpty())
        return {};
    const QString data =
        QDir::cleanPath(with_trailing_slash(exe_directory) + QStringLiteral("../share/kestrav"));
    return QFileInfo(data).isDir() ? data + u'/' : QString();
}

QString settings_directory(const QString& exe_directory) {
    if (!exe_directory.isEmpty() && installed_data_directory(exe_directory).isEmpty()) {
        const QString directory = with_trailing_slash(exe_directory);
        // With the trailing "/" the test fails for anything that is not a directory.
        if (::access(QFile::encodeName(directory).constData(), W_OK | X_OK) == 0)
            return directory;
    }
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString directory = with_trailing_slash(config) + QStringLiteral("kestrav/");
    QDir().mkpath(directory);
    return directory;
}

QString settings_file_to_read(const QString& exe_directory, const QString& app_directory) {
    for (const QString& directory : {app_directory, exe_directory}) {
        if (directory.isEmpty())
            continue;
        const QString path = with_trailing_slash(directory) + kSettingsFileName;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

std::optional<SettingsFileText> load_settings_file(const QString& path) {
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte past the limit tells whether the file is longer.
    const QByteArray bytes = file.read(kLargestSettingsFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    SettingsFileText text;
    text.cut = bytes.size() > kLargestSettingsFileBytes;
    text.lines = split_text_lines(
        decode_text(text.cut ? cut_at_line_end(bytes, kLargestSettingsFileBytes) : bytes));
    return text;
}

QByteArray encode_settings_text(const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    // Text in Windows-1252 whose bytes happen to form valid UTF-8 would be read back as
    // UTF-8 and come out changed; such text is stored as UTF-8 instead.
    if (const std::optional<QByteArray> bytes = encode_windows_1252(text);
        bytes && decode_text(*bytes) == text)
        return *bytes;
    return text.toUtf8();
}

bool save_settings_file(const QString& directory, const QStringList& lines) {
    const QByteArray settings =
        final_target(QFile::encodeName(with_trailing_slash(directory) + kSettingsFileName));
    const QByteArray folder = settings.left(settings.lastIndexOf('/') + 1);
    const QByteArray temporary = folder + kSettingsTemporaryName;

    if (!remove_stale_file(temporary))
        return false;
    if (!write_temporary_file(temporary, encode_settings_text(lines)))
        return false;
    // rename(2) replaces the old file in one step, read-only or not, so there is never a
    // moment without a complete settings file.
    if (::rename(temporary.constData(), settings.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    sync_directory(folder);
    return true;
}

} // namespace kestrav
