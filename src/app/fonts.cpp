#include "app/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace kestrav {

void install_font_substitutes() {
    static const bool installed = [] {
        // Arimo and Tinos are the same designs under the names other distributions use.
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
        QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                                   {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
        // The family the desktop's general font resolves to, not a generic alias.
        const QFont desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QFontInfo(desktop).family());
        return true;
    }();
    (void)installed;
}

QFont ms_sans_serif(int points) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    return f;
}

QFont times_new_roman(int points, bool bold, bool italic) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPointSize(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace kestrav
