#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <initializer_list>

namespace kestrav {

namespace {

// The families the windows ask for. Each is the design family when it is installed, otherwise
// its first installed stand-in: a family Qt knows is matched at once, where a design name it
// does not know makes it search that name's fallbacks through fontconfig for every size and
// style asked for, about a tenth of the start-up's work.
struct DesignFamilies {
    QString arial;
    QString times_new_roman;
    QString ms_sans_serif;
};

const DesignFamilies& design_families() {
    static const DesignFamilies families = [] {
        const QStringList installed = QFontDatabase::families();
        const auto first_installed = [&](std::initializer_list<QString> names) {
            for (const QString& name : names) {
                if (installed.contains(name, Qt::CaseInsensitive)) {
                    return name;
                }
            }
            return *names.begin(); // none: Qt's own matching decides
        };
        DesignFamilies f;
        // Arimo and Tinos are the same designs under the names other distributions use.
        f.arial = first_installed(
            {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
        f.times_new_roman =
            first_installed({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                             QStringLiteral("Tinos")});
        // The family the desktop's general font resolves to, not a generic alias.
        f.ms_sans_serif =
            installed.contains(QStringLiteral("MS Sans Serif"))
                ? QStringLiteral("MS Sans Serif")
                : QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
        return f;
    }();
    return families;
}

} // namespace

void install_font_substitutes() {
    static const bool installed = [] {
        const DesignFamilies& f = design_families();
        // For any font still asked for by its design name.
        QFont::insertSubstitution(QStringLiteral("Arial"), f.arial);
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), f.times_new_roman);
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), f.ms_sans_serif);
        return true;
    }();
    (void)installed;
}

QFont arial(int points, bool bold) {
    QFont f(design_families().arial);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

QFont ms_sans_serif(int points) {
    QFont f(design_families().ms_sans_serif);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    return f;
}

QFont times_new_roman(int points, bool bold, bool italic) {
    QFont f(design_families().times_new_roman);
    f.setStyleHint(QFont::Serif);
    f.setPointSize(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace kestrav
