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
    // A conversation may be opened on the caption of either window; it offers no item.
    dde_server_->setCaptionCheck([this](const QString& topic) {
        for (const QWidget* w :
             {static_cast<const QWidget*>(this), static_cast<const QWidget*>(FormInit)}) {
            if (topic.compare(w->windowTitle(), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    });
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
