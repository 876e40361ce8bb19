#include "setup/help_files.h"
#include "setup/languages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "qstring_printer.h"

using namespace kestrav;

namespace {

const QString kSourceDir = QStringLiteral(KESTRAV_HELP_SOURCE_DIR);
const QString kBuildDir = QStringLiteral(KESTRAV_BUILD_DIR);

struct Page {
    const char* name;
    UiLanguage language;
    QString file;
};

const Page kPages[] = {
    {"English", UiLanguage::English, QStringLiteral("Kestrav_En.html")},
    {"French", UiLanguage::French, QStringLiteral("Kestrav_Fr.html")},
};

QByteArray read_bytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString decode_utf8(const QByteArray& bytes, bool* ok) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    *ok = !utf8.hasError();
    return text;
}

QString page_html(const Page& page) {
    bool ok = false;
    return decode_utf8(read_bytes(kSourceDir + QLatin1Char('/') + page.file), &ok);
}

// What a reader sees: tags dropped, entities decoded, runs of blanks and line ends joined.
QString page_text(const Page& page) {
    QTextDocument doc;
    doc.setHtml(page_html(page));
    return doc.toPlainText().simplified();
}

QSet<QString> matches(const QString& text, const QString& pattern) {
    QSet<QString> found;
    auto it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(1));
    return found;
}

} // namespace

TEST(HelpPages, ExistAndAreValidUtf8) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QByteArray bytes = read_bytes(kSourceDir + QLatin1Char('/') + page.file);
        ASSERT_GT(bytes.size(), 8000) << "a few screens of help";
        bool ok = false;
        decode_utf8(bytes, &ok);
        EXPECT_TRUE(ok);
        EXPECT_TRUE(bytes.contains("charset=\"utf-8\"") || bytes.contains("charset=utf-8"));
    }
}

TEST(HelpPages, TitleIsTheViewerTitleOfTheirLanguage) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        QTextDocument doc;
        doc.setHtml(page_html(page));
        EXPECT_EQ(doc.metaInformation(QTextDocument::DocumentTitle),
                  help_window_title(page.language));
    }
}

TEST(HelpPages, CoverTheProgramsKeyWords) {
    // Controls, keys, files and devices a reader has to find, separated by blanks.
    const QStringList words =
        QStringLiteral("GO STOP AUTO LP COM1 ports/COM1 /dev/ttyUSB0 /dev/serial/by-id/ dialout "
                       "~/.config/kestrav/ Kestrav.ini .ksv .txt [ TAB F1 F4 Km Mile PourSat "
                       "FODTrack EA4TX ARSWIN GS-232 EasyComm LPT1 Delta parking INTERFACE LOCAL "
                       "DXCC Azimuth N S W E Network rotctld Host Port F3")
            .split(QLatin1Char(' '));
    for (const Page& page : kPages) {
        const QString text = page_text(page);
        for (const QString& word : words) {
            const QString pattern = QStringLiteral("(?<![\\w/~.])") +
                                    QRegularExpression::escape(word) + QStringLiteral("(?!\\w)");
            EXPECT_TRUE(text.contains(QRegularExpression(pattern)))
                << page.name << " page lacks " << word.toStdString();
        }
    }
}

TEST(HelpPages, QuoteTheMessagesOfTheirLanguage) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QString text = page_text(page);
        const LanguageTexts& t = language_texts(page.language);
        for (const QString& message : {t.cannot_create_settings, t.cannot_open_file,
                                       t.arswin_not_running, t.dde_conversation_open}) {
            EXPECT_TRUE(text.contains(message)) << message.toStdString();
        }
    }
}

TEST(HelpPages, InternalLinksReachAnAnchorAndBothPagesShareThem) {
    QSet<QString> first_anchors;
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QString html = page_html(page);
        const QSet<QString> links = matches(html, QStringLiteral("href=\"#([^\"]+)\""));
        const QSet<QString> anchors = matches(html, QStringLiteral("name=\"([^\"]+)\""));
        EXPECT_GE(links.size(), 10);
        for (const QString& link : links)
            EXPECT_TRUE(anchors.contains(link)) << "dangling link #" << link.toStdString();
        if (first_anchors.isEmpty())
            first_anchors = anchors;
        else
            EXPECT_EQ(anchors, first_anchors);
    }
}

// The contents list, above the first section, leads to every section and to the later
// features that live inside one: the map, following WSJT-X, the rotctld server and the
// 450-degree rotators.
TEST(HelpPages, ContentsLeadToEverySectionAndTheLaterFeatures) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QString html = page_html(page);
        const QSet<QString> listed = matches(html.left(html.indexOf(QStringLiteral("<h2"))),
                                             QStringLiteral("href=\"#([^\"]+)\""));
        QSet<QString> wanted = matches(html, QStringLiteral("<h2><a name=\"([^\"]+)\""));
        EXPECT_GE(wanted.size(), 10);
        wanted += {QStringLiteral("map"), QStringLiteral("wsjtx"), QStringLiteral("serve"),
                   QStringLiteral("range450")};
        for (const QString& anchor : wanted)
            EXPECT_TRUE(listed.contains(anchor)) << "contents lack #" << anchor.toStdString();
    }
}

TEST(HelpPages, HaveNoExternalAssets) {
    const char* const forbidden[] = {"<img", "<script", "<link",       "<iframe",
                                     "src=", "url(",    "href=\"http", "href=\"file"};
    for (const Page& page : kPages) {
        const QString html = page_html(page).toLower();
        for (const char* f : forbidden)
            EXPECT_FALSE(html.contains(QLatin1String(f))) << page.name << " holds " << f;
    }
}

TEST(HelpPages, HelpFileNamesFindTheirPageInSourceAndBuildTrees) {
    for (const QString& dir : {kSourceDir, kBuildDir}) {
        SCOPED_TRACE(dir.toStdString());
        for (const Page& page : kPages) {
            const QString found = resolve_help_page(dir, language_texts(page.language).help_file);
            EXPECT_TRUE(found.endsWith(QLatin1Char('/') + page.file)) << found.toStdString();
        }
        EXPECT_TRUE(resolve_help_page(dir, QLatin1String(kStartupHelpFile))
                        .endsWith(QLatin1String("/Kestrav_En.html")));
    }
}

TEST(HelpPages, BuildTreeCopiesMatchTheSources) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        const QByteArray copy = read_bytes(kBuildDir + QLatin1Char('/') + page.file);
        EXPECT_FALSE(copy.isEmpty());
        EXPECT_EQ(copy, read_bytes(kSourceDir + QLatin1Char('/') + page.file));
    }
}
