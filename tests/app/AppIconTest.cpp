#include "AppIcon.h"

#include <gtest/gtest.h>

#include <QImage>

// The icon built into the program is the one installed for the desktop menu,
// in every size, so the window and the menu never disagree.
TEST(AppIcon, CarriesEveryInstalledSizeUnchanged) {
    const QIcon icon = ProgramIcon();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage installed(
            QStringLiteral(VANTEL_SOURCE_DIR "/data/icons/vantel-%1.png").arg(size));
        ASSERT_EQ(installed.size(), QSize(size, size));
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        EXPECT_EQ(
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
            installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}
