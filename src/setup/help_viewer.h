#pragma once
// The help viewer: one small non-modal window that shows a help page. The help command
// resolves the page with resolve_help_page() and hands the path over; the window stays open
// beside the main window and is reused by every later help command.

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace kestrav {

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Loads the page at `path` (UTF-8 HTML). A path that is empty, missing, unreadable or
    // absurdly large shows a message naming the problem instead of an empty window. The
    // window title is the page's own title, or "Kestrav Help" when it has none.
    void show_page(const QString& path);

    // The path last given to show_page(), and whether that page could not be shown.
    QString page_path() const { return path_; }
    bool page_missing() const { return missing_; }
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QString path_;
    bool missing_ = false;
};

// Shows the page at `path` in the one help window, creating it on first use with `parent`
// as its owner (the window then lives as long as the parent; without a parent it deletes
// itself when closed). Later calls reuse the window, whatever parent they pass, and bring it
// forward.
void show_help_page(QWidget* parent, const QString& path);

// The help window currently in use, or nullptr before the first help command.
HelpViewer* current_help_viewer();

} // namespace kestrav
