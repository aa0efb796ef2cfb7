#include "Font.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

// Every face the layout names is drawn with an installed face, never with
// fontconfig's default: a missing font package fails here, not as a few
// pixels off in a paint test.
TEST(InstalledFace, EveryLayoutFaceResolvesToAnInstalledFace) {
    const struct {
        const char16_t* layout;
        const char* drawn;
    } faces[] = {{u"Tahoma", "DejaVu Sans"},
                 {u"tahoma", "DejaVu Sans"},
                 {u"Times New Roman", "Liberation Serif"},
                 {u"Arial", "Liberation Sans"},
                 {u"Courier New", "Liberation Mono"},
                 {u"\uFF2D\uFF33 \uFF30\u660E\u671D", "IPAPMincho"},
                 {u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", "IPAPGothic"}};
    for (const auto& f : faces) {
        const QString layout = QString::fromUtf16(f.layout);
        EXPECT_EQ(InstalledFace(layout), QString::fromLatin1(f.drawn)) << layout.toStdString();
        const QFontInfo info(TFont(layout, -13, clBlack).ToQFont());
        EXPECT_EQ(info.family(), QString::fromLatin1(f.drawn))
            << layout.toStdString() << " is not installed";
    }
    EXPECT_EQ(InstalledFace(QStringLiteral("Some Face")), QStringLiteral("Some Face"));
}

} // namespace
