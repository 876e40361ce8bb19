// The icons installed for the desktop's menu and the icon of Kestrav's windows are one
// picture, pixel for pixel, at every size the window icon has.

#include "app/pictures.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(ApplicationIcon, MenuIconFilesAreTheWindowIcon) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const QImage file(QStringLiteral(KESTRAV_ICON_DIR "/%1/kestrav.png").arg(size));
        ASSERT_EQ(file.size(), QSize(size, size));
        const QImage window = kestrav::window_icon().pixmap(size).toImage();
        EXPECT_EQ(window.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  file.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}
