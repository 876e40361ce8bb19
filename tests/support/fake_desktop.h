#pragma once
// A desktop that records beeps, message boxes, file dialogs and help requests instead of
// showing them, so window tests never block.

#include "ui/desktop.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kestrav::test {

struct RecordedBox {
    BoxIcon icon;
    QString text;
};

class FakeDesktop final : public Desktop {
public:
    void beep() override { ++beeps; }
    void exclamation_beep() override { ++exclamation_beeps; }
    void message_box(QWidget*, BoxIcon icon, const QString& text) override {
        boxes.push_back({icon, text});
    }
    QString open_file(QWidget*, const QString& filter, const QString& start_at) override {
        file_filters << filter;
        file_starts << start_at;
        if (file_answers.isEmpty())
            return {};
        return file_answers.takeFirst();
    }
    void show_help(QWidget*, const QString& help_file_name) override {
        help_requests << help_file_name;
    }

    int beeps = 0;
    int exclamation_beeps = 0;
    std::vector<RecordedBox> boxes;
    QStringList file_answers; // answers of the next file dialogs; none left = cancelled
    QStringList file_filters;
    QStringList file_starts; // where each file dialog opened
    QStringList help_requests;
};

} // namespace kestrav::test
