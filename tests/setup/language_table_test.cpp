#include "setup/languages.h"

#include <QSet>
#include <gtest/gtest.h>

#include "qstring_printer.h"

using namespace kestrav;

namespace {

struct Entry {
    const char* name;
    QString LanguageTexts::*field;
    bool menu_caption; // carries exactly one "&" accelerator
};

const Entry kEntries[] = {
    {"quit", &LanguageTexts::quit, true},
    {"my_lists", &LanguageTexts::my_lists, true},
    {"unit", &LanguageTexts::unit, true},
    {"language", &LanguageTexts::language, true},
    {"label_azimut", &LanguageTexts::label_azimut, false},
    {"about", &LanguageTexts::about, true},
    {"help", &LanguageTexts::help, true},
    {"help_file", &LanguageTexts::help_file, false},
    {"cannot_create_settings", &LanguageTexts::cannot_create_settings, false},
    {"cannot_open_file", &LanguageTexts::cannot_open_file, false},
    {"arswin_not_running", &LanguageTexts::arswin_not_running, false},
    {"dde_conversation_open", &LanguageTexts::dde_conversation_open, false},
    {"about_text", &LanguageTexts::about_text, false},
    {"map", &LanguageTexts::map, true},
    {"map_title", &LanguageTexts::map_title, false},
    {"map_no_local_station", &LanguageTexts::map_no_local_station, false},
    {"show_heading", &LanguageTexts::show_heading, false},
    {"no_reading", &LanguageTexts::no_reading, false},
    {"serve_rotctld", &LanguageTexts::serve_rotctld, false},
    {"serve_title", &LanguageTexts::serve_title, false},
    {"serve_enable", &LanguageTexts::serve_enable, false},
    {"serve_port", &LanguageTexts::serve_port, false},
    {"serve_local", &LanguageTexts::serve_local, false},
    {"serve_all", &LanguageTexts::serve_all, false},
    {"serve_warning", &LanguageTexts::serve_warning, false},
    {"serve_port_taken", &LanguageTexts::serve_port_taken, false},
    {"serve_failed", &LanguageTexts::serve_failed, false},
    {"follow_all_warning", &LanguageTexts::follow_all_warning, false},
    {"own_server_network", &LanguageTexts::own_server_network, false},
    {"own_server_serve", &LanguageTexts::own_server_serve, false},
    {"client_refused", &LanguageTexts::client_refused, false},
    {"client_outside_range", &LanguageTexts::client_outside_range, false},
    {"client_no_interface", &LanguageTexts::client_no_interface, false},
    {"client_no_port", &LanguageTexts::client_no_port, false},
    {"client_not_delivered", &LanguageTexts::client_not_delivered, false},
    {"client_timed_out", &LanguageTexts::client_timed_out, false},
    {"client_no_parking", &LanguageTexts::client_no_parking, false},
    {"rotator_menu", &LanguageTexts::rotator_menu, true},
    {"long_path_item", &LanguageTexts::long_path_item, true},
    {"map_call_item", &LanguageTexts::map_call_item, true},
};

const LanguageTexts& en() {
    return language_texts(UiLanguage::English);
}
const LanguageTexts& fr() {
    return language_texts(UiLanguage::French);
}

// The accelerator letter of a caption ("&&" is a literal "&"), or a null QChar; `count`
// receives how many accelerator marks the caption holds.
QChar accelerator(const QString& caption, int* count = nullptr) {
    QChar letter;
    int marks = 0;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        ++marks;
        letter = caption[i + 1].toLower();
    }
    if (count)
        *count = marks;
    return letter;
}

QString without_accelerator(QString caption) {
    return caption.replace(QLatin1String("&&"), QLatin1String("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

} // namespace

TEST(LanguageTable, EveryEntryIsTranslated) {
    for (const Entry& e : kEntries) {
        SCOPED_TRACE(e.name);
        EXPECT_FALSE((en().*e.field).isEmpty());
        EXPECT_FALSE((fr().*e.field).isEmpty());
        EXPECT_NE(en().*e.field, fr().*e.field);
    }
}

TEST(LanguageTable, MenuCaptionsCarryOneAcceleratorLetter) {
    for (const Entry& e : kEntries) {
        if (!e.menu_caption)
            continue;
        for (UiLanguage lang : {UiLanguage::English, UiLanguage::French}) {
            SCOPED_TRACE(std::string(e.name) + (lang == UiLanguage::French ? " fr" : " en"));
            int marks = 0;
            const QChar letter = accelerator(language_texts(lang).*e.field, &marks);
            EXPECT_EQ(marks, 1);
            EXPECT_TRUE(letter.isLetter());
        }
    }
}

TEST(LanguageTable, AcceleratorsDoNotClashWithinAMenu) {
    for (UiLanguage lang : {UiLanguage::English, UiLanguage::French}) {
        const LanguageTexts& t = language_texts(lang);
        // The menu bar: the language items plus "&Init", which never changes; "?" has none.
        const QString bar[] = {t.quit, QStringLiteral("&Init"), t.my_lists, t.unit,
                               t.map,  t.rotator_menu,          t.language};
        QSet<QChar> letters;
        for (const QString& caption : bar)
            letters.insert(accelerator(caption));
        EXPECT_EQ(letters.size(), 7) << "menu bar, language " << int(lang);
        // The map keeps its letter whatever the language.
        EXPECT_EQ(accelerator(t.map), QLatin1Char('a'));
        EXPECT_NE(accelerator(t.about), accelerator(t.help))
            << "\"?\" menu, language " << int(lang);
    }
}

TEST(LanguageTable, ExactTextsWithAccentsAndAccelerators) {
    // Escapes keep these independent of how the test source itself is encoded.
    EXPECT_EQ(fr().unit, QString::fromUtf16(u"&Unit\u00e9"));
    EXPECT_EQ(fr().about, QStringLiteral("A &propos de Kestrav"));
    EXPECT_EQ(fr().cannot_create_settings, QString::fromUtf16(u"Ne peut cr\u00e9er Kestrav.ini"));
    EXPECT_EQ(fr().arswin_not_running, QString::fromUtf16(u"ARSWIN doit s'ex\u00e9cuter !"));
    EXPECT_EQ(en().dde_conversation_open,
              QStringLiteral("A DDE conversation is in progress ! Please, close the client "
                             "conversation before quitting !"));
    EXPECT_EQ(language_menu_caption(UiLanguage::French), QString::fromUtf16(u"&Fran\u00e7ais"));
    EXPECT_EQ(language_menu_caption(UiLanguage::English), QStringLiteral("&English"));
}

TEST(LanguageTable, FrenchTextsAreNotMisencoded) {
    for (const Entry& e : kEntries) {
        SCOPED_TRACE(e.name);
        const QString& text = fr().*e.field;
        EXPECT_FALSE(text.contains(QChar(0xFFFD)));
        EXPECT_FALSE(text.contains(QChar(0x00C3))) << "UTF-8 read as Latin-1";
    }
}

TEST(LanguageTable, MessagesKeepNamingWhatTheyAreAbout) {
    for (UiLanguage lang : {UiLanguage::English, UiLanguage::French}) {
        const LanguageTexts& t = language_texts(lang);
        EXPECT_TRUE(t.cannot_create_settings.contains(QLatin1String("Kestrav.ini")));
        EXPECT_TRUE(t.arswin_not_running.startsWith(QLatin1String("ARSWIN ")));
        EXPECT_TRUE(t.dde_conversation_open.contains(QLatin1String(" DDE ")));
    }
}

TEST(LanguageTable, HelpFilesAndStartUpCaptions) {
    EXPECT_EQ(en().help_file, QStringLiteral("Kestrav_En.hlp"));
    EXPECT_EQ(fr().help_file, QStringLiteral("Kestrav_Fr.hlp"));
    // Before any language action the help command uses another spelling of the English file
    // and the "?" items read like the English ones without their accelerators.
    const QString startup_file = QLatin1String(kStartupHelpFile);
    EXPECT_NE(startup_file, en().help_file);
    EXPECT_EQ(startup_file.compare(en().help_file, Qt::CaseInsensitive), 0);
    EXPECT_EQ(without_accelerator(en().help), QLatin1String(kStartupHelpCaption));
    EXPECT_EQ(without_accelerator(en().about), QLatin1String(kStartupAboutCaption));
}

TEST(LanguageTable, AboutTextIsASeveralLineNoticeWithTheDownloadSite) {
    for (UiLanguage lang : {UiLanguage::English, UiLanguage::French}) {
        const QString& about = language_texts(lang).about_text;
        EXPECT_GE(about.count(QLatin1Char('\n')), 3);
        EXPECT_TRUE(about.contains(QLatin1String("https://kestrav.example.org")));
        EXPECT_EQ(about.count(QLatin1String("://")), 1) << "only the placeholder site";
        EXPECT_TRUE(about.contains(QLatin1String("Kestrav")));
    }
}

TEST(LanguageTable, NetworkFailuresInFrenchAndOtherTextsAsTheyCame) {
    const struct {
        const char* english;
        const char16_t* french;
    } rows[] = {
        {"Connection timed out", u"D\u00e9lai de connexion d\u00e9pass\u00e9"},
        {"Connection closed by rotctld", u"Connexion ferm\u00e9e par rotctld"},
        {"Connection refused", u"Connexion refus\u00e9e"},
        {"Host not found", u"H\u00f4te introuvable"},
        {"The rotctld at this address is this Kestrav itself",
         u"Le rotctld \u00e0 cette adresse est ce Kestrav lui-m\u00eame"},
        {"Hamlib error -42", u"Erreur Hamlib -42"},
        {"Invalid parameter", u"Invalid parameter"}, // rotctld's own words
        {"", u""},
    };
    for (const auto& row : rows) {
        const QString english = QString::fromLatin1(row.english);
        EXPECT_EQ(network_failure_text(english, UiLanguage::English), english);
        EXPECT_EQ(network_failure_text(english, UiLanguage::French),
                  QString::fromUtf16(row.french));
    }
}

TEST(LanguageTable, UnknownLanguageFallsBackToEnglish) {
    EXPECT_EQ(&language_texts(static_cast<UiLanguage>(7)), &en());
    EXPECT_NE(help_window_title(UiLanguage::English), help_window_title(UiLanguage::French));
}

TEST(AccessibleTexts, RowsMatchByNameOrPatternWithoutRegardToCase) {
    const std::pair<const char*, const char*> rows[] = {
        {"EditDXLocator", "DX locator"},    {"editdxlocator", "DX locator"},
        {"BitBtntestFOD", "Test GO"},       // the one test button spelled in lower case
        {"RadioGroupEAbutee", "Stop side"}, // pattern with a tail
        {"RadioGroupHNVLPT", "LPT port"},   {"SpinEditAzTestEasy", "Test azimuth, degrees"},
        {"EditDXLocatorX", nullptr}, // a longer name is another control
        {"LabelDXLocator", nullptr}, // labels keep their caption
        {"RadioGroupLPTX", nullptr},        {"", nullptr},
    };
    for (const auto& [object, english] : rows) {
        SCOPED_TRACE(object);
        const auto text = accessible_text(QString::fromLatin1(object), UiLanguage::English);
        ASSERT_EQ(text.has_value(), english != nullptr);
        if (text) {
            EXPECT_EQ(text->name, QString::fromLatin1(english));
        }
    }
    EXPECT_EQ(fr().ui_language, UiLanguage::French);
    EXPECT_EQ(en().ui_language, UiLanguage::English);
}

TEST(AccessibleTexts, EveryRefusalIsToldInBothLanguages) {
    for (int r = 0; r <= static_cast<int>(Refusal::OwnRotctldServer); ++r) {
        SCOPED_TRACE(r);
        const QString english = refusal_text(static_cast<Refusal>(r), UiLanguage::English);
        const QString french = refusal_text(static_cast<Refusal>(r), UiLanguage::French);
        EXPECT_FALSE(english.isEmpty());
        EXPECT_FALSE(french.isEmpty());
        EXPECT_NE(english, french);
    }
}
