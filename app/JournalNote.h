#pragma once
#include <QString>
#include <QWidget>

class TFont;
class QTextLayout;

// The note that the run journal is not written. It tells a path and the
// system's reason, so it is long: it wraps to the width of the widget it sits
// under (between words, and inside a path too long for a line), and the
// window grows by its height while it shows, so that it covers none of the
// figures, the grids or the chart. It takes no focus and no clicks: LAP
// keeps the keyboard.
class TJournalNote : public QWidget {
    Q_OBJECT
public:
    TJournalNote(QWidget* window, const QWidget* below, const TFont& font);
    // An empty text hides the note and gives the window its height back.
    void Show(const QString& text);
    const QString& Text() const { return FText; }
    // The height the whole text takes at `width`.
    int TextHeight(int width) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // Lays the text out at `width`; returns its height.
    qreal layout(QTextLayout& l, int width) const;
    const QWidget* FBelow;
    QString FText;
    QColor FColor;
    int FWindowHeight = -1; // the window's own height, while the note shows
};
