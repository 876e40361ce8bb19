#include "setup/help_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstring_printer.h"

using namespace kestrav;

namespace {

struct Case {
    const char* name;
    QStringList files;       // created empty in the directory
    QStringList directories; // created in the directory
    QString help_name;
    QString expected; // file name found, empty for none
};

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(HelpFiles, ResolvesTheHtmlPageOfTheSameStem) {
    const QStringList both = {"Kestrav_En.html", "Kestrav_Fr.html"};
    const Case cases[] = {
        {"start-up name in capitals", both, {}, "Kestrav_EN.HLP", "Kestrav_En.html"},
        {"English name", both, {}, "Kestrav_En.hlp", "Kestrav_En.html"},
        {"French name", both, {}, "Kestrav_Fr.hlp", "Kestrav_Fr.html"},
        {"page in lower case", {"kestrav_fr.html"}, {}, "KESTRAV_FR.HLP", "kestrav_fr.html"},
        {"page extension in capitals",
         {"Kestrav_En.HTML"},
         {},
         "Kestrav_En.hlp",
         "Kestrav_En.HTML"},
        {"exact case preferred",
         {"KESTRAV_EN.html", "Kestrav_En.html", "kestrav_en.html"},
         {},
         "Kestrav_En.hlp",
         "Kestrav_En.html"},
        {"first by name otherwise",
         {"kestrav_en.html", "KESTRAV_EN.html"},
         {},
         "Kestrav_EN.hlp",
         "KESTRAV_EN.html"},
        {"page of the other language only", {"Kestrav_Fr.html"}, {}, "Kestrav_En.hlp", ""},
        {"empty directory", {}, {}, "Kestrav_En.hlp", ""},
        {"not a help name", both, {}, "Kestrav_En.html", ""},
        {"no extension", {"Kestrav_En.html", "Kestrav_En"}, {}, "Kestrav_En", ""},
        {"other extension", both, {}, "Kestrav_En.chm", ""},
        {"nothing before the extension", {".html"}, {}, ".hlp", ""},
        {"only .htm present", {"Kestrav_En.htm"}, {}, "Kestrav_En.hlp", ""},
        {"stem must match whole",
         {"XKestrav_En.html", "Kestrav_En.html.bak"},
         {},
         "Kestrav_En.hlp",
         ""},
        {"a directory is not a page", {}, {"Kestrav_En.html"}, "Kestrav_En.hlp", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const QString& f : c.files)
            touch(dir.filePath(f));
        for (const QString& d : c.directories)
            ASSERT_TRUE(QDir(dir.path()).mkdir(d));
        const QString found = resolve_help_page(dir.path(), c.help_name);
        if (c.expected.isEmpty()) {
            EXPECT_TRUE(found.isEmpty()) << found.toStdString();
        } else {
            EXPECT_EQ(found, QDir(dir.path()).absoluteFilePath(c.expected));
            EXPECT_TRUE(QFileInfo(found).isFile());
        }
    }
}

TEST(HelpFiles, NeverLooksOutsideTheGivenDirectory) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    touch(dir.filePath("Kestrav_En.html"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString sub = dir.filePath("sub");
    EXPECT_TRUE(resolve_help_page(sub, "../Kestrav_En.hlp").isEmpty());
    EXPECT_TRUE(resolve_help_page(dir.path(), "sub/../Kestrav_En.hlp").isEmpty());
    EXPECT_TRUE(resolve_help_page(sub, "..\\Kestrav_En.hlp").isEmpty());
    EXPECT_TRUE(resolve_help_page(sub, "Kestrav_En.hlp").isEmpty());
}

TEST(HelpFiles, MissingOrEmptyDirectoryFindsNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(resolve_help_page(dir.filePath("absent"), "Kestrav_En.hlp").isEmpty());
    // An empty directory text must not silently mean the current directory.
    const QString previous = QDir::currentPath();
    touch(dir.filePath("Kestrav_En.html"));
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString found = resolve_help_page(QString(), "Kestrav_En.hlp");
    QDir::setCurrent(previous);
    EXPECT_TRUE(found.isEmpty());
}

TEST(HelpFiles, ResolvedPathIsAbsoluteForARelativeDirectory) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("help"));
    touch(dir.filePath("help/Kestrav_Fr.html"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString found = resolve_help_page("help", "Kestrav_Fr.hlp");
    QDir::setCurrent(previous);
    EXPECT_TRUE(QFileInfo(found).isAbsolute()) << found.toStdString();
    EXPECT_TRUE(QFileInfo::exists(found));
}
