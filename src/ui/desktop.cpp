#include "ui/desktop.h"

#include "setup/help_files.h"
#include "setup/help_viewer.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace kestrav {

void QtDesktop::beep() {
    QApplication::beep();
}

// The desktop has one bell; the warning box that follows tells the two apart.
void QtDesktop::exclamation_beep() {
    QApplication::beep();
}

void QtDesktop::message_box(QWidget* parent, BoxIcon icon, const QString& text) {
    const QString title = QStringLiteral("Kestrav");
    switch (icon) {
    case BoxIcon::Information:
        QMessageBox::information(parent, title, text);
        break;
    case BoxIcon::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    case BoxIcon::Error:
        QMessageBox::critical(parent, title, text);
        break;
    }
}

QString QtDesktop::open_file(QWidget* parent, const QString& filter, const QString& start_at) {
    return QFileDialog::getOpenFileName(parent, QString(), start_at, qt_file_filter(filter));
}

void QtDesktop::show_help(QWidget* parent, const QString& help_file_name) {
    QString page;
    for (const QString& directory : help_directories_) {
        page = resolve_help_page(directory, help_file_name);
        if (!page.isEmpty())
            break;
    }
    show_help_page(parent, page);
}

QString qt_file_filter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList choices;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = parts[i];
        // A name that already shows its patterns in parentheses keeps them; Qt reads the last
        // parenthesised group as the patterns, so append ours after it.
        choices << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return choices.join(QStringLiteral(";;"));
}

} // namespace kestrav
