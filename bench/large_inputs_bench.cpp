// Files just over the program's bounds: how long the main window takes to come up, how much
// memory the process reaches, and how long the fullest drop-down list takes to open.
//
//   bench_large_inputs            runs every scenario, each in a fresh process
//   bench_large_inputs <n>        runs scenario n only
//
// The main window runs offscreen with a desktop that counts message boxes.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "lists/list_file.h"
#include "lists/personal_list.h"
#include "settings/settings_file.h"
#include "silent_desktop.h"
#include "window_part.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

using kestrav::bench::window_part;

namespace {

struct Scenario {
    const char* name;
    // Writes the settings file (and any list it names) into `dir`.
    void (*write)(const QString& dir);
};

void write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
}

QByteArray list_path(const QString& dir, int n) {
    return QFile::encodeName(dir + QStringLiteral("/list%1.ksv").arg(n));
}

// A list of real-looking entries, one more than the entry bound.
void entries_over_bound(const QString& dir, int n) {
    QByteArray list = "[Big list]\n";
    for (qsizetype i = 0; i <= kestrav::kMostListEntries; ++i)
        list += "P" + QByteArray::number(i) + "\tStation " + QByteArray::number(i) +
                "\t48.854N\t2.375E\n";
    write_file(QString::fromLocal8Bit(list_path(dir, n)), list);
}

void list_entries(const QString& dir) {
    entries_over_bound(dir, 1);
    write_file(dir + QStringLiteral("/Kestrav.ini"), "PERSO1=" + list_path(dir, 1) + "\r\n");
}

// One-letter entries filling the file one byte past the byte bound.
void list_bytes(const QString& dir) {
    write_file(QString::fromLocal8Bit(list_path(dir, 1)),
               QByteArray("A\n").repeated(kestrav::kMaxListFileBytes / 2 + 1));
    write_file(dir + QStringLiteral("/Kestrav.ini"), "PERSO1=" + list_path(dir, 1) + "\r\n");
}

// A settings file one byte past its bound, of bad numbers and list lines.
void settings_bytes(const QString& dir) {
    write_file(QString::fromLocal8Bit(list_path(dir, 1)), "A\tB\t1N\t1E\n");
    const QByteArray pair = "CALAZ_POURSAT=x\r\nPERSO1=" + list_path(dir, 1) + "\r\n";
    write_file(dir + QStringLiteral("/Kestrav.ini"),
               pair.repeated(kestrav::kLargestSettingsFileBytes / pair.size() + 1));
}

// Everything at once: three lists over the entry bound named from a settings file over its
// byte bound.
void everything(const QString& dir) {
    QByteArray settings;
    for (int n = 1; n <= 3; ++n) {
        entries_over_bound(dir, n);
        settings += "PERSO" + QByteArray::number(n) + "=" + list_path(dir, n) + "\r\n";
    }
    settings +=
        QByteArray("ZERO_FODTRACK=bad\r\n").repeated(kestrav::kLargestSettingsFileBytes / 19 + 1);
    write_file(dir + QStringLiteral("/Kestrav.ini"), settings);
}

const Scenario kScenarios[] = {
    {"list of 50,001 entries", list_entries},
    {"list of 4 MiB + 2 bytes of one-letter entries", list_bytes},
    {"settings file of 1 MiB + bad numbers and list lines", settings_bytes},
    {"three lists of 50,001 entries, settings over 1 MiB", everything},
};

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

int run_scenario(int index) {
    const Scenario& scenario = kScenarios[index];
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    scenario.write(dir.path());

    kestrav::bench::SilentDesktop desktop;
    kestrav::MainWindowContext context;
    context.desktop = &desktop;
    context.exe_directory = context.app_directory = dir.path() + QLatin1Char('/');
    context.settings_file_exists = true;

    const auto t0 = std::chrono::steady_clock::now();
    kestrav::TForm1 window(context);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const double shown_ms = ms_since(t0);

    QComboBox* fullest = window_part<QComboBox>(window, "ComboBoxPerso1");
    const auto t1 = std::chrono::steady_clock::now();
    fullest->showPopup();
    QApplication::processEvents();
    const double popup_ms = ms_since(t1);
    fullest->hidePopup();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("| %s | %.0f ms | %.0f ms (%d entries) | %.0f MB | %d |\n", scenario.name, shown_ms,
                popup_ms, fullest->count(), usage.ru_maxrss / 1024.0, desktop.boxes);
    window.state().PersoPathNames = {};
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        QApplication app(argc, argv);
        kestrav::set_decimal_separator(QLatin1Char('.'));
        const int index = std::atoi(argv[1]);
        if (index < 0 || index >= static_cast<int>(std::size(kScenarios)))
            return 2;
        return run_scenario(index);
    }
    std::printf("| File | window shown | drop-down open | peak memory | boxes |\n"
                "|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (int i = 0; i < static_cast<int>(std::size(kScenarios)); ++i) {
        const int status = QProcess::execute(QString::fromLocal8Bit(argv[0]), {QString::number(i)});
        if (status != 0)
            return status;
    }
    return 0;
}
