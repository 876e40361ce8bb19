#include "lists/list_file.h"

#include "lists/list_entry.h"
#include "lists/personal_list.h"
#include "lists/text_decoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrav {
namespace {

class ListFileReading : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(ListFileReading, ReadsTheBytesUnchanged) {
    const QByteArray bytes("[Liste]\r\nF\tFran\xE7\x65\t46N\t2E\r\n\rX\n");
    const ListFileRead read = read_list_file(write(QStringLiteral("perso.ksv"), bytes));
    ASSERT_TRUE(read.opened);
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(read.bytes, bytes);
}

TEST_F(ListFileReading, EmptyFileOpensWithNoBytes) {
    const ListFileRead read = read_list_file(write(QStringLiteral("empty.txt"), QByteArray()));
    ASSERT_TRUE(read.opened);
    EXPECT_TRUE(read.bytes.isEmpty());
}

TEST_F(ListFileReading, ReportsTheSystemErrorNumber) {
    const QString fifo = dir_.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char* name;
        QString path;
        int error;
    } rows[] = {
        {"missing file", dir_.filePath(QStringLiteral("missing.ksv")), ENOENT},
        {"missing folder", dir_.filePath(QStringLiteral("none/list.ksv")), ENOENT},
        {"empty path", QString(), ENOENT},
        {"directory", dir_.path(), EISDIR},
        {"fifo is not waited on", fifo, EINVAL},
    };
    for (const auto& row : rows) {
        const ListFileRead read = read_list_file(row.path);
        EXPECT_FALSE(read.opened) << row.name;
        EXPECT_EQ(read.error, row.error) << row.name;
        EXPECT_TRUE(read.bytes.isEmpty()) << row.name;
    }
}

// A file one byte over the limit is read up to its last line end within the limit, so no
// entry is kept half; a file that fits is read whole.
TEST_F(ListFileReading, LongFileIsCutAtALineEnd) {
    const QByteArray entry("A\ta\t1N\t1E\n");
    const QByteArray fits = entry.repeated(kMaxListFileBytes / entry.size());
    const QByteArray over = fits + QByteArray(kMaxListFileBytes + 1 - fits.size(), 'B');
    const ListFileRead cut = read_list_file(write(QStringLiteral("over.ksv"), over));
    ASSERT_TRUE(cut.opened);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.bytes, fits);
    const ListFileRead whole = read_list_file(write(QStringLiteral("fits.ksv"), fits));
    EXPECT_FALSE(whole.cut);
    EXPECT_EQ(whole.bytes.size(), fits.size());
}

TEST_F(ListFileReading, RefusedAccessGivesPermissionError) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files without permission bits";
    const QString path = write(QStringLiteral("secret.ksv"), QByteArray("A\ta\t1N\t1E\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    const ListFileRead read = read_list_file(path);
    EXPECT_FALSE(read.opened);
    EXPECT_EQ(read.error, EACCES);
}

TEST_F(ListFileReading, ReadOnlyFileLoadsAndStaysReadOnly) {
    const QString path = write(QStringLiteral("readonly.ksv"), QByteArray("A\ta\t1N\t1E\n"));
    const QByteArray native = QFile::encodeName(path);
    ASSERT_EQ(::chmod(native.constData(), 0444), 0);
    const ListFileRead read = read_list_file(path);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.bytes, QByteArray("A\ta\t1N\t1E\n"));
    struct stat info {};
    ASSERT_EQ(::stat(native.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
}

// A list written in the Windows code page, read the way the window loads it.
TEST_F(ListFileReading, CodePageListLoadsAsAList) {
    const QString path = write(QStringLiteral("dx.txt"),
                               QByteArray("[DX \xE9t\xE9]\r\nFR\tR\xE9union\t21,12S\t55,53E\r\n"
                                          "\r\n3A\tMonaco\t43,73N\t7,42E\r\n"));
    const ListFileRead read = read_list_file(path);
    ASSERT_TRUE(read.opened);
    const PersonalList list = parse_personal_list(decode_text(read.bytes));
    EXPECT_EQ(list.title, QStringLiteral(u"DX \u00e9t\u00e9"));
    ASSERT_EQ(list.entries.size(), 2);
    EXPECT_EQ(list.entries[1], QStringLiteral(u"FR\tR\u00e9union\t21,12S\t55,53E"));
    const ListEntryResult entry = parse_list_entry(list.entries[1]);
    EXPECT_TRUE(entry.ok);
    EXPECT_EQ(entry.north, false);
    EXPECT_DOUBLE_EQ(entry.longitude, 55.53);
}

} // namespace
} // namespace kestrav
