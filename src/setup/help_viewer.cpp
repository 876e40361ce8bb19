#include "setup/help_viewer.h"

#include "setup/languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kestrav {

namespace {

// A help page is a few tens of kilobytes; anything far larger is not one of ours.
constexpr qint64 kMaxPageBytes = 4 * 1024 * 1024;

QPointer<HelpViewer>& viewer_slot() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

// The language of the reader is not known here, so the message is given in both.
QString missing_page_html(const QString& path, const QString& reason_en, const QString& reason_fr) {
    const QString dir =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toHtmlEscaped();
    const QString shown_path =
        path.isEmpty() ? QString() : QDir::toNativeSeparators(path).toHtmlEscaped();
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h2>Help page not found</h2><p>") + reason_en;
    if (!shown_path.isEmpty())
        html += QStringLiteral("<br><tt>") + shown_path + QStringLiteral("</tt>");
    html += QStringLiteral("</p><p>The help pages Kestrav_En.html and Kestrav_Fr.html belong in "
                           "the program's directory:<br><tt>") +
            dir + QStringLiteral("</tt></p>");
    html += QStringLiteral("<h2>Page d'aide introuvable</h2><p>") + reason_fr;
    if (!shown_path.isEmpty())
        html += QStringLiteral("<br><tt>") + shown_path + QStringLiteral("</tt>");
    html += QStringLiteral("</p><p>Les pages d'aide Kestrav_En.html et Kestrav_Fr.html doivent "
                           "se trouver dans le r\u00e9pertoire du programme :<br><tt>") +
            dir + QStringLiteral("</tt></p>");
    html += QStringLiteral("</body></html>");
    return html;
}

} // namespace

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setModal(false);
    setWindowTitle(help_window_title(UiLanguage::English));
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpViewer::show_page(const QString& path) {
    path_ = path;
    missing_ = true;
    QString html;
    if (path.isEmpty()) {
        html = missing_page_html(path, QStringLiteral("No help page was found for this language."),
                                 QStringLiteral("Aucune page d'aide n'a \u00e9t\u00e9 trouv\u00e9e "
                                                "pour cette langue."));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            html = missing_page_html(path,
                                     QStringLiteral("This file cannot be read: ") +
                                         file.errorString().toHtmlEscaped(),
                                     QStringLiteral("Ce fichier ne peut pas \u00eatre lu : ") +
                                         file.errorString().toHtmlEscaped());
        } else if (file.size() > kMaxPageBytes) {
            html =
                missing_page_html(path, QStringLiteral("This file is too large for a help page."),
                                  QStringLiteral("Ce fichier est trop grand pour une page "
                                                 "d'aide."));
        } else {
            const QByteArray bytes = file.read(kMaxPageBytes + 1);
            QStringDecoder utf8(QStringDecoder::Utf8);
            html = utf8.decode(bytes);
            missing_ = false;
        }
    }
    browser_->setSearchPaths(path.isEmpty() ? QStringList()
                                            : QStringList{QFileInfo(path).absolutePath()});
    browser_->setHtml(html);
    const QString title = browser_->documentTitle();
    setWindowTitle(!missing_ && !title.isEmpty() ? title : help_window_title(UiLanguage::English));
}

void show_help_page(QWidget* parent, const QString& path) {
    QPointer<HelpViewer>& viewer = viewer_slot();
    if (viewer.isNull()) {
        viewer = new HelpViewer(parent);
        if (parent == nullptr)
            viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->show_page(path);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

HelpViewer* current_help_viewer() {
    return viewer_slot().data();
}

} // namespace kestrav
