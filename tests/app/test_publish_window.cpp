// The azimuth published by the running window to clients on the real socket, and quitting
// while clients hold conversations.

#include "publish/dde_server.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLocalSocket>

namespace kestrav::test {
namespace {

class PublishWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(runtime.isValid());
        server = std::make_unique<DdeServer>(runtime.path() + QStringLiteral("/dde/kestrav"));
        ASSERT_EQ(server->listen(), 0);
        dde_server = server.get();
        start();
        set_local(QStringLiteral("JN18EU"));
    }
    void TearDown() override {
        clients.clear();
        WindowTest::TearDown();
    }
    // A client on `topic` that collects what it receives; the answer to CONNECT is taken.
    QLocalSocket* connect_client(const QByteArray& topic = "Data",
                                 const QByteArray& then = "ADVISE Azimuth TEXT HOT\n") {
        clients.push_back(std::make_unique<QLocalSocket>());
        QLocalSocket* c = clients.back().get();
        c->connectToServer(server->socketPath());
        c->write("CONNECT " + topic + "\n" + then);
        const qsizetype answers = then.isEmpty() ? 3 : 6;
        EXPECT_TRUE(QTest::qWaitFor([&] { return c->bytesAvailable() >= answers; }, 3000));
        EXPECT_EQ(c->read(answers), then.isEmpty() ? "OK\n" : "OK\nOK\n");
        return c;
    }
    // The last value a hot client was sent, as text. A request on the same conversation is
    // answered after every frame sent to it before, so its answer ("DATA <n>", without the
    // item's name) marks the end of what there is to read.
    static QByteArray last_value(QLocalSocket* c) {
        c->write("REQUEST Azimuth TEXT\n");
        QByteArray data;
        qsizetype answer = -1;
        const bool answered = QTest::qWaitFor(
            [&] {
                data += c->readAll();
                answer = data.lastIndexOf("DATA ");
                const qsizetype end = data.indexOf('\n', answer);
                if (answer < 0 || end < 0 || data.mid(answer + 5, 1) == "A")
                    return false;
                return data.size() >=
                       end + 1 + data.sliced(answer + 5, end - answer - 5).toLongLong();
            },
            3000);
        if (!answered)
            return {};
        data.truncate(answer);
        const qsizetype header = data.lastIndexOf("DATA Azimuth ");
        const qsizetype end = data.indexOf('\n', header);
        if (header < 0 || end < 0)
            return {};
        const qsizetype size = data.sliced(header + 13, end - header - 13).toLongLong();
        return data.sliced(end + 1, size).chopped(3); // CR LF NUL
    }
    QTemporaryDir runtime;
    std::unique_ptr<DdeServer> server;
    std::vector<std::unique_ptr<QLocalSocket>> clients;
};

TEST_F(PublishWindowTest, TypedAzimuthsArePublishedInWholeDegrees) {
    QLocalSocket* hot = connect_client();
    for (const auto& [typed, published] :
         {std::pair{"359.6", "360"}, std::pair{"2.5", "2"}, std::pair{"3.5", "4"}}) {
        erase(ui().EditAzimut);
        type(ui().EditAzimut, QString::fromLatin1(typed));
        EXPECT_EQ(last_value(hot), QByteArray(published)) << typed;
    }

    // A poke changes the item only: neither the field nor the requested azimuth move.
    const int beeps = desktop.beeps;
    QLocalSocket* poker = connect_client("Data", "");
    poker->write(QByteArray("POKE Azimuth TEXT 4\n123\0", 24));
    // Its answer comes once the value has gone out to the hot client.
    ASSERT_TRUE(QTest::qWaitFor([&] { return poker->bytesAvailable() >= 3; }, 3000));
    EXPECT_EQ(last_value(hot), "123");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("3.5"));
    EXPECT_DOUBLE_EQ(window->state().RequestedAzimuth, 3.5);
    EXPECT_EQ(desktop.beeps, beeps);
}

// Quitting waits for every client, by F4, the Quit menu and the close box alike; a
// conversation on a window's caption holds nothing back.
TEST_F(PublishWindowTest, QuitIsRefusedWhileAnyConversationIsOpen) {
    QLocalSocket* first = connect_client();
    QLocalSocket* second = connect_client();
    connect_client(window->windowTitle().toUtf8(), "");
    const QString refusal = QStringLiteral(
        "A DDE conversation is in progress ! Please, close the client conversation before "
        "quitting !");
    focus(ui().EditDXLocator);
    QTest::keyClick(window.get(), Qt::Key_F4);
    first->disconnectFromServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->state().DdeConversationOpen == 1; }, 3000));
    ui().MenuQuitter->trigger();
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(desktop.boxes.size(), 3u);
    for (const RecordedBox& box : desktop.boxes) {
        EXPECT_EQ(box.icon, BoxIcon::Warning);
        EXPECT_EQ(box.text, refusal);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Kestrav.ini")))) << "nothing saved";

    second->write("DISCONNECT\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->state().DdeConversationOpen == 0; }, 3000));
    QTest::keyClick(window.get(), Qt::Key_F4);
    EXPECT_FALSE(window->isVisible());
}

// Another start of the program brings the window forward, from behind another window and
// from minimised.
TEST_F(PublishWindowTest, ASecondStartBringsTheWindowForward) {
    QWidget other;
    other.show();
    focus(&other);
    window->showMinimized();
    QLocalSocket second;
    second.connectToServer(server->socketPath());
    second.write("ACTIVATE\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.bytesAvailable() >= 3; }, 3000));
    EXPECT_EQ(second.readAll(), "OK\n");
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_FALSE(window->isMinimized());
}

// The server outlives the windows: once they have gone, their captions are no topic.
TEST_F(PublishWindowTest, CaptionsGoWithTheWindows) {
    const QByteArrayList captions = {window->windowTitle().toUtf8(),
                                     window->formInit()->windowTitle().toUtf8()};
    for (const QByteArray& caption : captions)
        connect_client(caption, "");
    clients.clear();
    window.reset();
    for (const QByteArray& caption : captions) {
        QLocalSocket late;
        late.connectToServer(server->socketPath());
        late.write("CONNECT " + caption + "\n");
        ASSERT_TRUE(QTest::qWaitFor([&] { return late.bytesAvailable() >= 3; }, 3000));
        EXPECT_EQ(late.readAll(), "NO\n") << caption.constData();
    }
}

// With a local station the dialog is not built at start, yet its caption is a topic already.
TEST_F(PublishWindowTest, DialogNotBuiltAtStartStillAnswersToItsCaption) {
    window.reset();
    const QByteArray settings = "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n";
    QFile file(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    file.close();
    MainWindowContext context;
    context.desktop = &desktop;
    context.dde_server = server.get();
    context.exe_directory = context.app_directory = dir.path() + u'/';
    context.settings_file_exists = true;
    window = std::make_unique<TForm1>(context);
    window->show();
    const auto dialogs = [] {
        int n = 0;
        for (const QWidget* w : QApplication::topLevelWidgets())
            n += w->objectName() == QStringLiteral("FormInit");
        return n;
    };
    EXPECT_EQ(dialogs(), 0);
    connect_client("KESTRAV - INITIALISATION", "");
    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(window->formInit()->windowTitle(), QStringLiteral("Kestrav - Initialisation"));
    EXPECT_EQ(dialogs(), 1);
}

} // namespace
} // namespace kestrav::test
