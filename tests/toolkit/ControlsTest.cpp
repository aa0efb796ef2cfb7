// Label sizing, timer floor, combo box picks and typing, and the default
// error report for errors raised by handlers.
#include "Application.h"
#include "ComboBox.h"
#include "ErrorReport.h"
#include "Errors.h"
#include "Label.h"
#include "MessageService.h"
#include "Messages.h"
#include "TColor.h"
#include "Timer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

TEST(Label, RightAlignedKeepsRightEdgeOthersKeepLeft) {
    QWidget parent;
    TLabel right(&parent), left(&parent);
    right.SetAlignment(LabelAlign::Right);
    right.setGeometry(263, 16, 16, 15);
    left.setGeometry(126, 36, 64, 19);
    right.SetCaption(QStringLiteral("12345"));
    left.SetCaption(QStringLiteral("12345"));
    EXPECT_EQ(right.geometry().right(), 263 + 16 - 1);
    EXPECT_EQ(left.geometry().left(), 126);
    const int wide = right.width();
    right.SetCaption(QStringLiteral("1"));
    EXPECT_LT(right.width(), wide);
    EXPECT_EQ(right.geometry().right(), 263 + 16 - 1);
}

TEST(Label, AmpersandIsNotMeasured) {
    TLabel a, b;
    a.SetCaption(QStringLiteral("&Lap"));
    b.SetCaption(QStringLiteral("Lap"));
    EXPECT_EQ(a.width(), b.width());
}

TEST(Label, PaintsCaptionInFontColour) {
    TLabel l;
    l.SetFont(TFont(QStringLiteral("Liberation Serif"), -17, clWhite, fsBold));
    l.SetCaption(QStringLiteral("88"));
    const QImage img = l.Render();
    int white = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y).lightness() > 200) ++white;
    EXPECT_GT(white, 10);
}

TEST(Label, ClickRaisesOnClickOnlyWhenReleasedInside) {
    TLabel l;
    l.resize(40, 20);
    int clicks = 0;
    l.OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(&l, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&l, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&l, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(clicks, 1);
}

TEST(Timer, FloorBoundsTheRealPeriod) {
    TTimer t;
    t.SetInterval(1);
    EXPECT_EQ(t.EffectiveInterval(), 1);
    t.SetMinimumInterval(10);
    EXPECT_EQ(t.EffectiveInterval(), 10);
    t.SetInterval(250);
    EXPECT_EQ(t.EffectiveInterval(), 250);
    int ticks = 0;
    t.OnTimer = [&](QObject*) { ++ticks; };
    t.Fire();
    EXPECT_EQ(ticks, 1);
}

TEST(Timer, RealTicksArriveWhileEnabled) {
    TTimer t;
    t.SetInterval(5);
    int ticks = 0;
    t.OnTimer = [&](QObject*) { ++ticks; };
    QTest::qWait(60);
    EXPECT_GT(ticks, 0);
    t.SetEnabled(false);
    const int seen = ticks;
    QTest::qWait(30);
    EXPECT_EQ(ticks, seen);
}

TEST(ComboBox, PickSetsIndexTypingClearsIt) {
    TComboBox c;
    for (const char* s : {"100", "200", "5864"})
        c.AddItem(QString::fromLatin1(s));
    int changes = 0;
    c.OnChange = [&](QObject*) { ++changes; };
    EXPECT_EQ(c.ItemIndex(), -1);
    EXPECT_EQ(c.Text(), QString());
    c.PickFromList(2);
    EXPECT_EQ(c.ItemIndex(), 2);
    EXPECT_EQ(c.Text(), QStringLiteral("5864"));
    EXPECT_EQ(changes, 1);
    c.show();
    c.setFocus();
    c.lineEdit()->selectAll();
    QTest::keyClick(&c, Qt::Key_1);
    EXPECT_EQ(c.ItemIndex(), -1);
    EXPECT_EQ(c.Text(), QStringLiteral("1"));
    EXPECT_EQ(changes, 2);
    // No completion: "1" stays "1" although "100" starts with it, and Enter
    // does not pick the matching entry.
    QTest::keyClicks(&c, QStringLiteral("00"));
    QTest::keyClick(&c, Qt::Key_Return);
    EXPECT_EQ(c.ItemIndex(), -1);
    EXPECT_EQ(c.Text(), QStringLiteral("100"));
}

TEST(ComboBox, SelectionColoursIgnoreTheDesktopTheme) {
    // A dark desktop theme must not reach the list's selection colours.
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Highlight, QColor(200, 0, 200));
    dark.setColor(QPalette::HighlightedText, QColor(1, 2, 3));
    QApplication::setPalette(dark);
    TComboBox c;
    c.SetColor(0x008000);
    for (const QWidget* w :
         {static_cast<const QWidget*>(&c), static_cast<const QWidget*>(c.lineEdit()),
          static_cast<const QWidget*>(c.view())}) {
        EXPECT_EQ(w->palette().color(QPalette::Highlight), ToQColor(clHighlight));
        EXPECT_EQ(w->palette().color(QPalette::HighlightedText), ToQColor(clHighlightText));
        EXPECT_EQ(w->palette().color(QPalette::Base), ToQColor(0x008000));
    }
    QApplication::setPalette(before);
}

TEST(ComboBox, KeyPressHookSeesEnterAndCanSwallow) {
    TComboBox c;
    c.show();
    c.setFocus();
    QString seen;
    c.OnKeyPress = [&](QObject*, QChar& k) {
        seen += k == QChar(13) ? QChar(u'|') : k;
        if (k == u'x') k = QChar();
    };
    QTest::keyClicks(&c, QStringLiteral("axb"));
    QTest::keyClick(&c, Qt::Key_Return);
    EXPECT_EQ(seen, QStringLiteral("axb|"));
    EXPECT_EQ(c.Text(), QStringLiteral("ab"));
}

TEST(ComboBox, AddingKeepsTypedText) {
    TComboBox c;
    c.SetText(QStringLiteral("77"));
    c.AddItem(QStringLiteral("77"));
    EXPECT_EQ(c.Text(), QStringLiteral("77"));
    EXPECT_EQ(c.ItemIndex(), -1);
}

TEST(DefaultErrorReport, HandlerErrorIsShownAndTheProgramGoesOn) {
    ScopedMessageRecorder rec;
    int after = 0;
    TNotifyEvent handler = [&](QObject*) {
        ++after;
        throw EConvertError(Msg::NotAnInteger().arg(QStringLiteral("x")));
    };
    CallEvent(handler, nullptr);
    CallEvent(handler, nullptr);
    EXPECT_EQ(after, 2);
    ASSERT_EQ(rec.Records().size(), 2);
    EXPECT_EQ(rec.Records()[0].text, Msg::NotAnInteger().arg(QStringLiteral("x")));
    EXPECT_EQ(rec.Records()[0].icon, MsgIcon::Error);
}

class Thrower : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw Exception(QStringLiteral("boom"));
        return QObject::event(e);
    }
};

TEST(DefaultErrorReport, ErrorEscapingAnEventStopsAtTheApplication) {
    ScopedMessageRecorder rec;
    Thrower t;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e); // would end the process if it unwound through the loop
    ASSERT_EQ(rec.Records().size(), 1);
    EXPECT_EQ(rec.Records()[0].text, QStringLiteral("boom"));
}

// An error of the program's own whose what() is not what the user should read.
class TerseError : public Exception {
public:
    using Exception::Exception;
    const char* what() const noexcept override { return "terse"; }
};

TEST(DefaultErrorReport, OwnErrorsShowTheirMessageAndEnglishOthersWhat) {
    struct Case {
        const char* Name;
        std::function<void()> Raise;
        QString Shown;
        QString Informative;
    };
    const Case cases[] = {
        {"own", [] { throw TerseError(QStringLiteral("for the user")); },
         QStringLiteral("for the user"), QString()},
        {"own with English",
         [] {
             throw EConvertError(Msg::NotAnInteger().arg("x"), Msg::En::NotAnInteger().arg("x"));
         },
         Msg::NotAnInteger().arg("x"), QStringLiteral("'x' is not an integer")},
        {"standard", [] { throw std::runtime_error("standard"); }, QStringLiteral("standard"),
         QString()},
    };
    for (const Case& c : cases) {
        ScopedMessageRecorder rec;
        Dispatch(c.Raise);
        ASSERT_EQ(rec.Records().size(), 1) << c.Name;
        EXPECT_EQ(rec.Records()[0].text, c.Shown) << c.Name;
        EXPECT_EQ(rec.Records()[0].informative, c.Informative) << c.Name;
        EXPECT_EQ(rec.Records()[0].caption, Application::ErrorCaption()) << c.Name;
    }
}

// The operators' log gets each box as one line, whatever breaks its texts hold.
TEST(DefaultErrorReport, LogLineHoldsCaptionTextAndEnglishOnOneLine) {
    EXPECT_EQ(MessageLogLine(Msg::ErrorCaption(), Msg::FirstRow(), Msg::En::FirstRow()),
              QStringLiteral("vantel: エラー: 先頭行なので上に移動できません。 / "
                             "The first row cannot move up."));
    EXPECT_EQ(MessageLogLine(QStringLiteral("c"), QStringLiteral("a\r\nb\rc\nd"), QString()),
              QStringLiteral("vantel: c: a b c d"));
    EXPECT_EQ(MessageLogLine(QStringLiteral("c"), QStringLiteral("t"), QStringLiteral("x\ry")),
              QStringLiteral("vantel: c: t / x y"));
}

// The hook is what stands between a handler and the message box.
TEST(DefaultErrorReport, HandlerErrorsGoToTheInstalledReporterOrNowhere) {
    static QStringList reported;
    reported.clear();
    ScopedMessageRecorder rec;
    TNotifyEvent handler = [](QObject*) { throw std::runtime_error("lost"); };
    const ErrorReport::Reporter application = ErrorReport::SetReporter(nullptr);
    ASSERT_NE(application, nullptr) << "the application installs one";
    CallEvent(handler, nullptr); // with no reporter the program still goes on
    ErrorReport::SetReporter([](const std::exception& e) { reported << e.what(); });
    CallEvent(handler, nullptr);
    EXPECT_NE(ErrorReport::SetReporter(application), nullptr);
    EXPECT_EQ(reported, QStringList{QStringLiteral("lost")});
    EXPECT_TRUE(rec.Records().isEmpty()) << "the application's report was out of the way";
}

TEST(Colours, SystemColoursResolveThroughTheFixedTable) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ToQColor(0x266CFF), QColor(0xFF, 0x6C, 0x26));
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0xA0A0A0u);
    EXPECT_NE(ColorToRGB(clBtnFace), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x800000FFu)), 0u); // unknown index
}

} // namespace
