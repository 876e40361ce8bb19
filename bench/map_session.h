#pragma once
// The main window offscreen on a settings file of its own for the local station JN18EU, with
// Japan chosen from the prefix list: what the map benchmark measures and the README's picture
// of the map shows. `map_open` adds the settings row that opens the map at start.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "silent_desktop.h"
#include "window_part.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace kestrav::bench {

class MapSession {
public:
    explicit MapSession(const QByteArray& map_row = {}) {
        set_decimal_separator(QLatin1Char('.'));
        QFile ini(dir_.filePath(QStringLiteral("Kestrav.ini")));
        if (!dir_.isValid() || !ini.open(QIODevice::WriteOnly))
            return;
        ini.write("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n" + map_row);
        ini.close();
        MainWindowContext context;
        context.desktop = &desktop_;
        context.exe_directory = context.app_directory = dir_.path() + QLatin1Char('/');
        context.settings_file_exists = true;
        window_ = std::make_unique<TForm1>(context);
        window_->show();
        // Activation at start empties the azimuth (the dialog has not been opened): the DX
        // station is chosen once it has come.
        const QDeadlineTimer deadline(2000);
        while (!window_->isActiveWindow() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QComboBox* prefixes = window_part<QComboBox>(*window_, "ComboBoxListDX");
        prefixes->setCurrentIndex(prefixes->findText(QStringLiteral("JA\t"), Qt::MatchStartsWith));
        window_->ComboBoxListDXClick();
    }
    ~MapSession() {
        if (window_)
            window_->hide();
    }

    // None when the settings file could not be written.
    TForm1* window() const { return window_.get(); }

private:
    QTemporaryDir dir_;
    SilentDesktop desktop_;
    std::unique_ptr<TForm1> window_;
};

} // namespace kestrav::bench
