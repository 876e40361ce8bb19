#include "setup/help_viewer.h"
#include "setup/languages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWidget>
#include <gtest/gtest.h>

#include "qstring_printer.h"

#include <memory>

using namespace kestrav;

namespace {

const QString kSourceDir = QStringLiteral(KESTRAV_HELP_SOURCE_DIR);

QString page(const char* file) {
    return kSourceDir + QLatin1Char('/') + QLatin1String(file);
}

QString shown_text(HelpViewer* viewer) {
    return viewer->browser()->toPlainText();
}

// Every anchor name the rendered document holds.
QStringList rendered_anchors(QTextDocument* doc) {
    QStringList names;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it)
            names += it.fragment().charFormat().anchorNames();
    }
    return names;
}

// Each test owns a main window stand-in; deleting it takes the viewer with it.
class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override { parent_ = std::make_unique<QWidget>(); }
    void TearDown() override {
        parent_.reset();
        EXPECT_EQ(current_help_viewer(), nullptr);
    }
    std::unique_ptr<QWidget> parent_;
};

} // namespace

TEST_F(HelpViewerTest, ShowsAPageNonModallyWithItsTitle) {
    show_help_page(parent_.get(), page("Kestrav_En.html"));
    HelpViewer* viewer = current_help_viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_FALSE(viewer->isModal());
    EXPECT_FALSE(viewer->page_missing());
    EXPECT_EQ(viewer->windowTitle(), help_window_title(UiLanguage::English));
    EXPECT_TRUE(shown_text(viewer).contains(QLatin1String("ports/COM1")));
}

TEST_F(HelpViewerTest, ReusesOneWindowAcrossLanguages) {
    show_help_page(parent_.get(), page("Kestrav_En.html"));
    QPointer<HelpViewer> first = current_help_viewer();
    QWidget other_parent;
    show_help_page(&other_parent, page("Kestrav_Fr.html"));
    EXPECT_EQ(current_help_viewer(), first.data());
    EXPECT_EQ(first->parentWidget(), parent_.get());
    EXPECT_EQ(first->windowTitle(), help_window_title(UiLanguage::French));
    EXPECT_TRUE(shown_text(first).contains(QString::fromUtf16(u"Ports s\u00e9rie")));
    EXPECT_EQ(parent_->findChildren<HelpViewer*>().size(), 1);
}

TEST_F(HelpViewerTest, ClosedWindowComesBackOnTheNextHelpCommand) {
    show_help_page(parent_.get(), page("Kestrav_En.html"));
    QPointer<HelpViewer> viewer = current_help_viewer();
    viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(viewer.isNull()) << "owned by its parent, kept for reuse";
    EXPECT_FALSE(viewer->isVisible());
    show_help_page(parent_.get(), page("Kestrav_En.html"));
    EXPECT_EQ(current_help_viewer(), viewer.data());
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(HelpViewerTest, MissingPageShowsAMessageInsteadOfNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        QString path;
        bool path_shown;
    };
    const Case cases[] = {
        {"nothing resolved", QString(), false},
        {"file gone", dir.filePath("Kestrav_En.html"), true},
        {"a directory", dir.path(), true},
        {"markup in the path", dir.filePath("<b>x</b>.html"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        show_help_page(parent_.get(), c.path);
        HelpViewer* viewer = current_help_viewer();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->page_missing());
        EXPECT_TRUE(viewer->isVisible());
        const QString text = shown_text(viewer);
        EXPECT_TRUE(text.contains(QLatin1String("Help page not found")));
        EXPECT_TRUE(text.contains(QLatin1String("Page d'aide introuvable")));
        EXPECT_TRUE(text.contains(QLatin1String("Kestrav_En.html")));
        if (c.path_shown) {
            EXPECT_TRUE(text.contains(c.path)) << text.toStdString();
        }
        EXPECT_EQ(viewer->windowTitle(), help_window_title(UiLanguage::English));
    }
    // A good page after a missing one is shown normally again.
    show_help_page(parent_.get(), page("Kestrav_Fr.html"));
    EXPECT_FALSE(current_help_viewer()->page_missing());
    EXPECT_FALSE(shown_text(current_help_viewer()).contains(QLatin1String("not found")));
}

TEST_F(HelpViewerTest, ContentsLinksLandOnRenderedAnchors) {
    for (const char* file : {"Kestrav_En.html", "Kestrav_Fr.html"}) {
        SCOPED_TRACE(file);
        show_help_page(parent_.get(), page(file));
        QTextDocument* doc = current_help_viewer()->browser()->document();
        const QStringList anchors = rendered_anchors(doc);
        for (const char* target : {"start", "lists", "serial", "settings", "publish", "top"})
            EXPECT_TRUE(anchors.contains(QLatin1String(target))) << target;
    }
}

TEST(HelpViewerWithoutParent, DeletesItselfWhenClosed) {
    show_help_page(nullptr, page("Kestrav_En.html"));
    QPointer<HelpViewer> viewer = current_help_viewer();
    ASSERT_FALSE(viewer.isNull());
    EXPECT_TRUE(viewer->testAttribute(Qt::WA_DeleteOnClose));
    viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull());
    EXPECT_EQ(current_help_viewer(), nullptr);
}
