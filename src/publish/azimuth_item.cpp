// The published azimuth item: the requested azimuth in whole degrees as decimal text.

#include "app/main_window.h"

namespace kestrav {

void TForm1::publish_azimuth(const QString& text) {
    published_azimuth_ = text;
}

} // namespace kestrav
