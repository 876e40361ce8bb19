// The published azimuth item: the requested azimuth in whole degrees as decimal text, handed
// to the publication server, and the count of client conversations that holds back quitting.

#include "app/main_window.h"
#include "publish/dde_server.h"
#include "setup/init_dialog.h"

namespace kestrav {

void TForm1::connect_publication() {
    if (dde_server_ == nullptr)
        return;
    connect(dde_server_, &DdeServer::conversationOpened, this, &TForm1::DataOpen);
    connect(dde_server_, &DdeServer::conversationClosed, this, &TForm1::DataClose);
    // Another start of the program hands over to this one: the window comes forward,
    // restored if it was minimised.
    connect(dde_server_, &DdeServer::activationRequested, this, [this] {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    });
    // A conversation may be opened on the caption of either window, the dialog's even before
    // it was first built; it offers no item. The server outlives the windows: the check goes
    // with them (the dialog goes first).
    dde_server_->setCaptionCheck([this](const QString& topic) {
        const QString dialog =
            FormInit != nullptr ? FormInit->windowTitle() : QLatin1String(kInitDialogTitle);
        return topic.compare(windowTitle(), Qt::CaseInsensitive) == 0 ||
               topic.compare(dialog, Qt::CaseInsensitive) == 0;
    });
    connect(this, &QObject::destroyed, dde_server_,
            [server = dde_server_] { server->setCaptionCheck({}); });
}

void TForm1::publish_azimuth(const QString& text) {
    published_azimuth_ = text;
    if (dde_server_ != nullptr)
        dde_server_->publish(text);
}

void TForm1::DataOpen() {
    ++state_.DdeConversationOpen;
}

void TForm1::DataClose() {
    if (state_.DdeConversationOpen > 0)
        --state_.DdeConversationOpen;
}

} // namespace kestrav
