// The floor for start-up: a bare Qt Widgets window holding one label, started and mapped on
// the X server the way Kestrav's main window is. bench_startup times it beside Kestrav.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Kestrav start-up baseline"));
    label.setWindowTitle(QStringLiteral("Kestrav baseline"));
    label.show();
    return app.exec();
}
