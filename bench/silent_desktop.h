#pragma once
// A desktop for benchmarks: beeps and boxes are counted, nothing is shown or waited for.

#include "app/desktop.h"

namespace kestrav::bench {

class SilentDesktop final : public Desktop {
public:
    void beep() override { ++beeps; }
    void exclamation_beep() override { ++beeps; }
    void message_box(QWidget*, BoxIcon, const QString&) override { ++boxes; }
    QString open_file(QWidget*, const QString&) override { return {}; }
    void show_help(QWidget*, const QString&) override {}
    int beeps = 0;
    int boxes = 0;
};

} // namespace kestrav::bench
