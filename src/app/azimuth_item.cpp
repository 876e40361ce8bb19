// The published azimuth item: the count of client conversations that holds back quitting, and
// another start of the program handing over to this one. The azimuth itself is published by
// the azimuth panel.

#include "app/init_dialog_beside.h"
#include "app/main_window_hosts.h"
#include "publish/dde_server.h"
#include "setup/init_dialog.h"

namespace kestrav {

void TForm1::Hosts::installPublication(DdeServer* server) {
    if (server == nullptr)
        return;
    TForm1* w = &w_;
    QObject::connect(server, &DdeServer::conversationOpened, w, &TForm1::DataOpen);
    QObject::connect(server, &DdeServer::conversationClosed, w, &TForm1::DataClose);
    // Another start of the program hands over to this one: the window comes forward,
    // restored if it was minimised.
    QObject::connect(server, &DdeServer::activationRequested, w, [w] {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
    });
    // A conversation may be opened on the caption of either window, the dialog's even before
    // it was first built; it offers no item. The server outlives the windows: the check goes
    // with them (the dialog goes first).
    server->setCaptionCheck([w](const QString& topic) {
        const TFormInit* dialog = w->dialog_->built();
        const QString dialog_title =
            dialog != nullptr ? dialog->windowTitle() : QLatin1String(kInitDialogTitle);
        return topic.compare(w->windowTitle(), Qt::CaseInsensitive) == 0 ||
               topic.compare(dialog_title, Qt::CaseInsensitive) == 0;
    });
    QObject::connect(w, &QObject::destroyed, server, [server] { server->setCaptionCheck({}); });
}

void TForm1::DataOpen() {
    ++state().DdeConversationOpen;
}

void TForm1::DataClose() {
    if (state().DdeConversationOpen > 0)
        --state().DdeConversationOpen;
}

} // namespace kestrav
