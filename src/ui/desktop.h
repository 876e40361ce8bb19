#pragma once
// The desktop's beeps, message boxes, the open-file dialog and the help viewer, behind one
// small interface so that tests see each of them without anything blocking.

#include <QString>
#include <QStringList>

class QWidget;

namespace kestrav {

enum class BoxIcon { Information, Warning, Error };

class Desktop {
public:
    virtual ~Desktop() = default;
    // The default system beep: every refusal of the program is signalled by it.
    virtual void beep() = 0;
    // The exclamation beep that goes with a warning (the outside rotator program missing).
    virtual void exclamation_beep() = 0;
    // A message box with an OK button; returns when the operator has closed it.
    virtual void message_box(QWidget* parent, BoxIcon icon, const QString& text) = 0;
    // The open-file dialog with a filter in the "Name|*.a;*.b|Name2|*.*" form, opened at
    // `start_at`: a file shown chosen in its folder, a folder, or (empty) the working
    // directory. An empty result means the operator cancelled.
    virtual QString open_file(QWidget* parent, const QString& filter,
                              const QString& start_at = QString()) = 0;
    // Shows the contents of the help file of the given name (for example "Kestrav_EN.HLP").
    virtual void show_help(QWidget* parent, const QString& help_file_name) = 0;
};

// The real desktop: QApplication::beep, QMessageBox, QFileDialog and the help window.
class QtDesktop final : public Desktop {
public:
    // Help pages are looked for in these directories, in order.
    explicit QtDesktop(QStringList help_directories)
        : help_directories_(std::move(help_directories)) {}
    void beep() override;
    void exclamation_beep() override;
    void message_box(QWidget* parent, BoxIcon icon, const QString& text) override;
    QString open_file(QWidget* parent, const QString& filter, const QString& start_at) override;
    void show_help(QWidget* parent, const QString& help_file_name) override;

private:
    QStringList help_directories_;
};

// Converts the "Name|pattern;pattern|..." filter into Qt's "Name (pattern pattern);;..." form.
QString qt_file_filter(const QString& filter);

} // namespace kestrav
