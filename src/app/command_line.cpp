#include "app/command_line.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace kestrav {

namespace {

struct HeldMessage {
    QtMsgType type;
    QString text;
};

QList<HeldMessage>* held = nullptr;
QtMessageHandler previous_handler = nullptr;

void hold_message(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) {
        held->append({type, text});
        return;
    }
    // Qt gives up without a platform: say which display could not be opened, and end
    // normally rather than by abort() and its core dump.
    const QByteArray display = qgetenv("DISPLAY");
    std::fprintf(stderr, "kestrav: cannot open display %s\n",
                 display.isEmpty() ? "(DISPLAY is not set)" : display.constData());
    for (const HeldMessage& message : *held)
        std::fprintf(stderr, "  %s\n", qUtf8Printable(message.text));
    std::fprintf(stderr, "  %s\n", qUtf8Printable(text));
    std::_Exit(1);
}

} // namespace

std::optional<int> answer_command_line(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns a directional antenna toward a distant radio station."));
    // Not addHelpOption(): its --help-all would promise Qt's options, which need a display.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(arguments); // errors are QApplication's options, checked by it
    if (parser.isSet(help)) {
        // The help text names the program by QCoreApplication's arguments, which do not
        // exist yet.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("kestrav"));
        std::fputs(qUtf8Printable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("kestrav %s\n", KESTRAV_VERSION);
        return 0;
    }
    return std::nullopt;
}

DisplayOpenGuard::DisplayOpenGuard() {
    held = new QList<HeldMessage>;
    previous_handler = qInstallMessageHandler(hold_message);
}

DisplayOpenGuard::~DisplayOpenGuard() {
    release();
}

void DisplayOpenGuard::release() {
    if (held == nullptr)
        return;
    qInstallMessageHandler(previous_handler);
    for (const HeldMessage& message : *held)
        qt_message_output(message.type, QMessageLogContext(), message.text);
    delete held;
    held = nullptr;
}

} // namespace kestrav
