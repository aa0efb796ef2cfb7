#include "Unit1.h"

#include "Application.h"
#include "BoxKeys.h"
#include "Chart.h"
#include "Clock.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "DistanceMemory.h"
#include "Distances.h"
#include "Errors.h"
#include "ExcelUtil.h"
#include "IntConv.h"
#include "JournalNote.h"
#include "KeysHelp.h"
#include "Label.h"
#include "LapEngine.h"
#include "Menu.h"
#include "MessageService.h"
#include "Messages.h"
#include "PressMoments.h"
#include "RowCorrector.h"
#include "SaveNames.h"
#include "Series.h"
#include "StartOver.h"
#include "Stopw.h"
#include "StringGridEx.h"
#include "TimeText.h"
#include "Timer.h"
#include "Wrap.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace {

const QString kZeroTime = QStringLiteral(" 00:00:00:000");
const QString kFont = QStringLiteral("Times New Roman");

// The twenty circuit lengths named by the instruction rows come last.
const char* const kDistances[] = {"100",   "200",  "333",  "400",  "500",  "1000", "5000",
                                  "10000", "5864", "3466", "4801", "1490", "3422", "2492",
                                  "2045",  "4400", "2804", "3703", "2007", "3330", "1004",
                                  "4674",  "2061", "3704", "4063", "5091", "3405", "1700"};

static_assert(std::size(kDistances) == TVantel::DistanceCount);

// What every control of the window's layout tables has.
template <class T> struct ControlDef {
    T* TVantel::*Field;
    const char* Name;
    int Left, Top, Width, Height;
    const char* Caption;
    const char* Hint;
};

// Creates the control named, placed and hinted as the table says, and sets
// the window's field to it.
template <class T> T* CreateControl(TVantel* window, const ControlDef<T>& d) {
    T* c = new T(window);
    c->setObjectName(QString::fromLatin1(d.Name));
    c->setGeometry(d.Left, d.Top, d.Width, d.Height);
    if (*d.Hint) c->SetHint(QString::fromLatin1(d.Hint));
    window->*d.Field = c;
    return c;
}

struct LabelDef : ControlDef<TLabel> {
    LabelAlign Align;
    int FontHeight;
    TFontStyles Style;
    TColor Color;
};

struct ButtonDef : ControlDef<TCuteButton> {
    TColor Face;
    int FontHeight; // 0: the window's font
    TFontStyles Style;
    TColor FontColor;
};

// The labels as the window is made: their places, looks and first captions.
const LabelDef kLabels[] = {
    {&TVantel::Label1, "Label1", 126, 12, 39, 19, "Total", "Total", LabelAlign::Center, 17, fsBold,
     0xCFDFE9},
    {&TVantel::Label9, "Label9", 126, 36, 64, 19, "Fast Lap", "Fast Lap", LabelAlign::Left, 17,
     fsBold, 0x6781E9},
    {&TVantel::Label2, "Label2", 126, 60, 28, 19, "Lap", "Lap", LabelAlign::Center, 17, fsBold,
     0xF1EDEE},
    {&TVantel::Label3, "Label3", 126, 85, 62, 19, "Lap real", "Lap real", LabelAlign::Center, 17,
     fsBold, 0xF0CAB0},
    {&TVantel::Label14, "Label14", 126, 108, 60, 19, "Average", "Average Lap", LabelAlign::Left, 17,
     fsBold, 0xD4D4D4},
    {&TVantel::Label11, "Label11", 263, 16, 16, 15, "lap", "Lap count", LabelAlign::Right, 13,
     fsBold, 0xCFDFE9},
    {&TVantel::Label12, "Label12", 256, 36, 23, 15, "num", "Fast Lap count", LabelAlign::Right, 13,
     fsItalic, 0x6781E9},
    {&TVantel::Label13, "Label13", 263, 60, 16, 15, "+ -", "+ - milli sec", LabelAlign::Right, 13,
     fsItalic, 0xF1EDEE},
    {&TVantel::Label7, "Label7", 256, 84, 27, 15, "km/h", "Lap Km/h", LabelAlign::Right, 13,
     fsItalic, 0xF0CAB0},
    {&TVantel::Label16, "Label16", 237, 108, 45, 15, "Average", "Average Km/h", LabelAlign::Right,
     13, fsItalic, 0xD4D4D4},
    {&TVantel::Label4, "Label4", 78, 16, 0, 0, "Total", "", LabelAlign::Left, 12, 0, 0x8ACEBA},
    {&TVantel::Label10, "Label10", 83, 36, 0, 0, "Fast", "", LabelAlign::Left, 12, 0, 0x6781E9},
    {&TVantel::Label5, "Label5", 86, 66, 0, 0, "Lap", "", LabelAlign::Left, 12, 0, 0x8ACEBA},
    {&TVantel::Label6, "Label6", 88, 84, 0, 0, ".....", "", LabelAlign::Left, 15, 0, 0x8ACEBA},
    {&TVantel::Label15, "Label15", 84, 108, 0, 0, "Ave", "Average", LabelAlign::Left, 12, 0,
     0xD4D4D4},
};

// Captions the lap buttons with their accelerators (keyed) or without.
void CaptionLapButtons(TCuteButton* const (&buttons)[3], bool keyed) {
    const Msg::TText* captions = keyed ? Msg::LapKeyed : Msg::LapPlain;
    for (int i = 0; i < 3; ++i)
        buttons[i]->SetCaption(captions[i]());
}

} // namespace

QString TVantel::VersionText() {
    return Msg::Version();
}
QString TVantel::CreditText() {
    return Msg::Credit();
}
QString TVantel::AboutText() {
    return Msg::About();
}
QString TVantel::HelpText() {
    return Msg::Help();
}

TVantel::TVantel(QWidget* parent) : TForm(parent) {
    setObjectName(QStringLiteral("Vantel"));
    createComponents();
    bindEvents();
    applyTabOrder();
    FormCreate(this);
    InstallKeysHelp(this);
    KeepLapKeysThroughBoxes(this);
    // Where the keyboard goes after a correction is the window's own rule
    // (Rebuilt), so that the journal notes it with the correction.
    Corrector = new TRowCorrector(
        Run, Rows,
        {StringGridEx1, XlsStringGrid1, this, [this](const QString& t) { ShowRunNote(t); }});
    StartOverNotes =
        std::make_unique<TStartOverNotes>(Run, [this](const QString& t) { ShowRunNote(t); });
}

// Every component is a child of the window; the stopwatch follows its
// label's removal itself.
TVantel::~TVantel() = default;

void TVantel::createComponents() {
    // The window: black, Times New Roman 13 px in lime, system menu and
    // minimise only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    SetCaption(Msg::AppName());
    SetColor(clBlack);
    Font() = TFont(kFont, -13, clLime);
    setFont(Font().ToQFont());
    FitOnScreen(QSize(792, 566)); // client area of an 800 x 600 window

    Timer1 = new TTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->SetInterval(1);
    Timer1->SetMinimumInterval(DisplayInterval);

    StopWatch1 = new TStopWatch(this);
    StopWatch1->setObjectName(QStringLiteral("StopWatch1"));

    for (const LabelDef& d : kLabels) {
        TLabel* l = CreateControl(this, d);
        l->SetAlignment(d.Align);
        l->SetFont(TFont(kFont, -d.FontHeight, d.Color, d.Style));
        l->SetCaption(QString::fromLatin1(d.Caption));
    }
    StopWatch1->SetDisplayLabel(Label1);
    // A lap press changes these figures: assistive tools hear of each change.
    // The running clock (Label1, Label3) is read when asked for, never sent.
    for (TLabel* l : {Label2, Label9, Label11, Label12, Label13, Label14, Label7, Label16})
        l->SetAnnounced(true);

    // CuteButton1's hint "reatart" is the stored layout's text, kept as spelled.
    static const ButtonDef buttons[] = {
        {&TVantel::start, "start", 14, 102, 57, 26, "start", "start", 0x95E6B9, 18, 0, clNavy},
        {&TVantel::stop, "stop", 292, 79, 58, 25, "stop", "stop", 0x95E6B9, 18, 0, 0x266CFF},
        {&TVantel::CuteButton1, "CuteButton1", 292, 54, 58, 25, "restart", "reatart", 0xBBE1DD, 17,
         0, 0x726054},
        {&TVantel::CuteButton2, "CuteButton2", 292, 29, 58, 25, "reset", "reset", 0xBBE1DD, 17, 0,
         clNavy},
        {&TVantel::LAP, "LAP", 14, 51, 57, 51, "", "LAP", 0xBBE1DD, 15, fsBold, 0x266CFF},
        {&TVantel::SAVE, "SAVE", 292, 104, 58, 25, "SAVE", "Push only auto CSV save", 0xBBE1DD, 12,
         0, 0x9B8677},
        {&TVantel::CuteButton3, "CuteButton3", 355, 9, 25, 24, "up", "Up - >", clTeal, 0, 0,
         clLime},
        {&TVantel::CuteButton4, "CuteButton4", 355, 41, 25, 26, "dw", "Down - >", clTeal, 0, 0,
         clLime},
        {&TVantel::LAP2, "LAP2", 14, 27, 57, 26, "", "LAP2", 0xDDEAE2, 13, 0, 0x726054},
        {&TVantel::LAP3, "LAP3", 14, 2, 57, 25, "", "LAP3", 0xDDEAE2, 13, 0, 0x726054},
    };
    for (const ButtonDef& d : buttons) {
        TCuteButton* b = CreateControl(this, d);
        b->SetCaption(QString::fromLatin1(d.Caption));
        b->SetColor(d.Face);
        b->SetShowFocusRect(false);
        b->SetFlat(false);
        b->SetEgnoreContClick(false);
        b->SetUseDisabledColor(false);
        b->SetFont(d.FontHeight ? TFont(kFont, -d.FontHeight, d.FontColor, d.Style) : Font());
        this->*d.Field = b;
    }
    // The lap buttons' captions come from the catalogue; they start keyed.
    CaptionLapButtons({LAP, LAP2, LAP3}, true);
    for (TCuteButton* b : {LAP, LAP2, LAP3}) // a held key records one lap
        b->SetOnePressOneClick(true);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->Alignment = paRight;
    About1 = PopupMenu1->Add(QStringLiteral("About1"), Msg::MenuAbout());
    Help1 = PopupMenu1->Add(QStringLiteral("Help1"), Msg::MenuHelp());
    Key = PopupMenu1->Add(QStringLiteral("Key"), Msg::MenuKey());
    SetPopupMenu(PopupMenu1);

    ComboBox1 = new TComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(286, 4, 65, 23);
    ComboBox1->SetHint(QStringLiteral("meter choice or write"));
    ComboBox1->SetColor(clGreen);
    ComboBox1->Font() = TFont(kFont, -15, clWhite);
    ComboBox1->SetDropDownCount(28);
    for (const char* d : kDistances)
        ComboBox1->AddItem(QString::fromLatin1(d));
    for (const QString& d : TDistanceMemory::Load(ComboBox1->Items()))
        ComboBox1->AddItem(d);
    ComboBox1->SetItemIndex(-1);
    FDistanceMemory = std::make_unique<TDistanceMemory>(
        Run, [this] { return ComboBox1->Items().mid(DistanceCount); });

    Chart1 = new TChart(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(12, 348, 762, 209);
    Chart1->setToolTip(QStringLiteral("LAP milli & Average milli"));
    Chart1->BackWall.SetColor(0xA00000);
    Chart1->SetBackColor(0xA00000);
    Chart1->BottomWall.SetColor(clGray);
    Chart1->LeftWall.SetColor(clSilver);
    Chart1->Gradient.SetDirection(gdBottomTop);
    Chart1->Gradient.SetEndColor(7464474);
    Chart1->Gradient.SetStartColor(16102499);
    Chart1->Gradient.SetVisible(true);
    Chart1->Title.SetText({QStringLiteral("Lap Time")});
    Chart1->Title.SetVisible(false);
    Chart1->Legend.SetColor(13172735);
    Chart1->Legend.SetTextStyle(ltsRightValue);
    Chart1->Legend.SetVisible(false);
    Chart1->SetView3D(false);
    Chart1->SetColor(clGreen);
    Chart1->LeftAxis()->SetExactDateTime(false);
    Chart1->LeftAxis()->Grid.SetColor(clSilver);
    Chart1->LeftAxis()->SetInverted(true);
    Chart1->LeftAxis()->Title.SetCaption(QStringLiteral("millisecond"));
    Chart1->RightAxis()->SetInverted(true);

    // Series1 is series 0 ("Lap time"), Series2 series 1 ("Average").
    Series2 = new TFastLineSeries(this);
    Series2->setObjectName(QStringLiteral("Series2"));
    Series1 = new TFastLineSeries(this);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->SetTitle(QStringLiteral("Lap time"));
    Series1->SetLinePenColor(8453888);
    Series1->SetSeriesColor(8453888);
    Series2->SetTitle(QStringLiteral("Average"));
    Series2->SetLinePenColor(clRed);
    Series2->SetSeriesColor(clRed);
    for (TFastLineSeries* s : {Series1, Series2}) {
        s->Marks.ArrowLength = 8;
        s->Marks.Visible = false;
        s->SetVertAxis(aRightAxis);
        Chart1->AddSeries(s);
    }

    StringGridEx1 = new TStringGridEx(this);
    StringGridEx1->setObjectName(QStringLiteral("StringGridEx1"));
    StringGridEx1->setGeometry(12, 130, 761, 214);
    StringGridEx1->setToolTip(QStringLiteral("Main Number data grid"));
    LoadLapGridLayout(StringGridEx1);

    XlsStringGrid1 = new TXlsStringGrid(this);
    XlsStringGrid1->setObjectName(QStringLiteral("XlsStringGrid1"));
    XlsStringGrid1->setGeometry(386, 4, 385, 120);
    XlsStringGrid1->setToolTip(QStringLiteral("LAP1,2,3 mix grid"));
    XlsStringGrid1->SetColCount(10);
    XlsStringGrid1->SetRowCount(30);
    XlsStringGrid1->SetFixedRows(1);
    XlsStringGrid1->SetFixedCols(0);
    XlsStringGrid1->SetDefaultColWidth(72);
    XlsStringGrid1->SetDefaultRowHeight(18);
    XlsStringGrid1->SetColor(clBlack);
    XlsStringGrid1->SetFixedColor(14502035);
    XlsStringGrid1->SetFont(TFont(kFont, -12, 16515071));
    XlsStringGrid1->SetScrollBars(ssVertical);
    XlsStringGrid1->SetColumnName(true);
    XlsStringGrid1->SetShowErrDlg(true);
    XlsStringGrid1->SetStartData(0);
    XlsStringGrid1->SetStartRow(1);
    XlsStringGrid1->SetStartCol(1);
    XlsStringGrid1->SetAutoFit(true);
    XlsStringGrid1->SetCellFont(TFont(kFont, -13, clWhite));
    XlsStringGrid1->SetCellColor(clBlack);
    XlsStringGrid1->SetCellTitleColor(clNone);
    XlsStringGrid1->SetCellBorderWeight(bwNone);
    XlsStringGrid1->SetCellBorderColor(clBlack);
    XlsStringGrid1->SetPageOrientation(xlPortrait);
    XlsStringGrid1->SetExtendRows(true);
}

void TVantel::bindEvents() {
    // Every action that changes what the window shows of a run goes through
    // the run; the handlers themselves know nothing of it.
    auto on = [this](TRunAction a) { return [this, a](QObject*) { Run.Perform(a); }; };
    // A lap is timed at its key's or click's own moment where the display
    // server tells it.
    Moments = new TPressMoments(this);
    auto press = [this](TRunAction a) {
        return [this, a](QObject*) { Run.Press(a, Moments->Take()); };
    };
    start->OnClick = on(TRunAction::Start);
    stop->OnClick = on(TRunAction::Stop);
    Label2->OnClick = on(TRunAction::Stop);
    CuteButton1->OnClick = on(TRunAction::Restart);
    CuteButton2->OnClick = on(TRunAction::Reset);
    LAP->OnClick = press(TRunAction::Lap);
    SAVE->OnClick = on(TRunAction::Save);
    CuteButton3->OnClick = on(TRunAction::Up);
    CuteButton4->OnClick = on(TRunAction::Down);
    LAP2->OnClick = press(TRunAction::Lap2);
    LAP3->OnClick = press(TRunAction::Lap3);
    Timer1->OnTimer = [this](QObject* s) { Timer1Timer(s); };
    About1->OnClick = [this](QObject* s) { About1Click(s); };
    Help1->OnClick = [this](QObject* s) { Help1Click(s); };
    Key->OnClick = on(TRunAction::Key);
    ComboBox1->OnChange = on(TRunAction::Pick);
    ComboBox1->OnKeyPress = [this](QObject* s, QChar& k) {
        // Only Enter can add an entry; other characters reach the text field.
        if (k == QChar(13))
            addTypedDistance();
        else
            ComboBox1KeyPress(s, k);
    };
    ComboBox1->OnRemoveKey = [this](QObject*, int i) {
        TActionInput in = Read(TRunAction::Remove);
        in.Index = i; // the open list's highlighted entry, not the pick
        in.Text = ComboBox1->itemText(i);
        Run.Perform(TRunAction::Remove, in);
    };
}

// --- the run's actions --------------------------------------------------------

TActionInput TVantel::Read(TRunAction action) const {
    TActionInput in;
    switch (action) {
    case TRunAction::Up:
    case TRunAction::Down:
        in.Sel = XlsStringGrid1->Selection();
        in.Top = XlsStringGrid1->TopRow();
        break;
    case TRunAction::Add:
        // As the list takes it: "５８６４" is added as "5864".
        in.Text = Distances::Typed(ComboBox1->Text()).value_or(ComboBox1->Text());
        break;
    case TRunAction::Remove:
        in.Index = ComboBox1->ItemIndex();
        in.Text = in.Index >= 0 ? ComboBox1->itemText(in.Index) : QString();
        break;
    case TRunAction::Pick:
        in.Index = ComboBox1->ItemIndex();
        in.Text = ComboBox1->Text();
        break;
    default:
        break;
    }
    return in;
}

void TVantel::Perform(TRunAction action, const TActionInput& in) {
    FPress = in.Press;
    marksLater();
    // The widgets are set from the input only where they differ: an input
    // read from them just now must leave them exactly as they are (a caret
    // in the distance text, say).
    switch (action) {
    case TRunAction::Start:
        return StartClick(this);
    case TRunAction::Stop:
        return StopClick(this);
    case TRunAction::Restart:
        return ResartClick(this);
    case TRunAction::Reset:
        return ResetClick(this);
    case TRunAction::Lap:
        return LapClick(this);
    case TRunAction::Lap2:
        return LAP2Click(this);
    case TRunAction::Lap3:
        return LAP3Click(this);
    case TRunAction::Key:
        return KeyClick(this);
    case TRunAction::Pick:
        if (ComboBox1->ItemIndex() != in.Index) ComboBox1->SetItemIndex(in.Index);
        if (ComboBox1->ItemIndex() < 0 && ComboBox1->Text() != in.Text) ComboBox1->SetText(in.Text);
        return ComboBox1Change(ComboBox1);
    case TRunAction::Add: {
        if (ComboBox1->Text() != in.Text) ComboBox1->SetText(in.Text);
        QChar enter(13);
        return ComboBox1KeyPress(ComboBox1, enter);
    }
    case TRunAction::Remove:
        return removeDistance(in.Index, in.Text);
    case TRunAction::Up:
    case TRunAction::Down:
        if (in.Sel && XlsStringGrid1->Selection() != *in.Sel) XlsStringGrid1->SetSelection(*in.Sel);
        if (in.Top && XlsStringGrid1->TopRow() != *in.Top) XlsStringGrid1->SetTopRow(*in.Top);
        return action == TRunAction::Up ? CuteButton3Click(this) : CuteButton4Click(this);
    case TRunAction::Save:
        if (in.File.isEmpty()) return SAVEClick(this);
        return setSaved(in.File, in.FileDir);
    case TRunAction::Delete:
    case TRunAction::Insert:
    case TRunAction::Undo:
    case TRunAction::Redo:
        return; // the run's own: it rebuilds the window from the actions
    }
}

TRunShown TVantel::Shown() const {
    TRunShown r;
    r.State = State;
    // The component of the window that holds the focus, or holds the widget
    // that does.
    const QWidget* f = focusWidget();
    while (f && f != this && f->parentWidget() != this)
        f = f->parentWidget();
    if (f && f != this) r.Focus = f->objectName();
    r.Distances = ComboBox1->ItemCount();
    r.CsvFile = CsvFileName;
    r.CsvDir = CsvDir;
    return r;
}

TWindowShows TVantel::Shows() const {
    TWindowShows w;
    Shows(w);
    return w;
}

void TVantel::Shows(TWindowShows& w) const {
    TLabel* const figures[] = {Label1,  Label2,  Label3,  Label9, Label12,
                               Label14, Label11, Label13, Label7, Label16};
    QString* const texts[] = {&w.Total,   &w.Lap,      &w.LapReal, &w.Fast,   &w.FastLap,
                              &w.Average, &w.LapCount, &w.Diff,    &w.LapKmh, &w.AveKmh};
    for (size_t i = 0; i < std::size(figures); ++i)
        *texts[i] = figures[i]->Caption();
    w.Distance = ComboBox1->Text();
    w.Running = StopWatch1->Running();
    w.Origin = StopWatch1->Origin();
    w.Elapsed = StopWatch1->Elapsed();
    w.PrevTotal = State.PrevTotal;
    w.MixCols = XlsStringGrid1->ColCount();
    w.MixRows.resize(size_t(XlsStringGrid1->RowCount()));
    for (int r = 0; r < XlsStringGrid1->RowCount(); ++r) {
        QStringList& row = w.MixRows[size_t(r)];
        if (row.size() != w.MixCols) row = QStringList(w.MixCols);
        for (int c = 0; c < w.MixCols; ++c) {
            // A cell still holding the very text it held is not copied again:
            // a long run costs only the rows that moved.
            const QStringView now = XlsStringGrid1->CellView(c, r);
            const QString& had = std::as_const(row)[c];
            if (now.isEmpty() ? had.isEmpty()
                              : now.data() == had.constData() && now.size() == had.size())
                continue;
            row[c] = XlsStringGrid1->Cells(c, r);
        }
    }
    w.MixPresses = Rows.Presses(TRowPresses::Mix);
}

TRunCarry TVantel::Carry() const {
    TRunCarry c;
    c.Keyed = Key->Checked();
    const QStringList items = ComboBox1->Items();
    c.AddedDistances = items.mid(DistanceCount);
    c.Index = ComboBox1->ItemIndex();
    c.Text = ComboBox1->Text();
    c.MixColor = int32_t(XlsStringGrid1->Font().Color);
    const TStringGrid* grids[] = {StringGridEx1, XlsStringGrid1};
    for (int g = 0; g < 2; ++g)
        c.Grids[size_t(g)] = {grids[g]->RowCount(), grids[g]->TopRow(), grids[g]->Selection()};
    c.CsvFile = CsvFileName;
    c.State = State;
    return c;
}

void TVantel::ApplyCarry(const TRunCarry& c) {
    {
        // The operator's entries as the carry has them, also over a window
        // that already lists some.
        QSignalBlocker quiet(ComboBox1);
        while (ComboBox1->ItemCount() > DistanceCount)
            ComboBox1->removeItem(ComboBox1->ItemCount() - 1);
    }
    for (const QString& item : c.AddedDistances)
        ComboBox1->AddItem(item);
    if (Key->Checked() != c.Keyed) KeyClick(this);
    XlsStringGrid1->Font().SetColor(TColor(c.MixColor));
    ComboBox1->SetItemIndex(c.Index);
    if (ComboBox1->ItemIndex() < 0) ComboBox1->SetText(c.Text);
    TStringGrid* grids[] = {StringGridEx1, XlsStringGrid1};
    for (int g = 0; g < 2; ++g) {
        const TRunCarry::TGridShape& shape = c.Grids[size_t(g)];
        grids[g]->SetRowCount(shape.RowCount);
        grids[g]->SetSelection(shape.Sel);
        grids[g]->SetTopRow(shape.TopRow);
    }
    setSaved(c.CsvFile, QString());
    State = c.State;
}

void TVantel::Rebuilt(std::optional<int32_t> liveLap) {
    // Stopped and not recorded: what the last display tick before the stop
    // showed, the lap running until the stop.
    if (liveLap)
        State.LiveLap = *liveLap;
    else if (!State.Running)
        State.LiveLap = wrap::sub(StopWatch1->Elapsed(), State.PrevTotal);
    if (!liveLap) {
        // The actions performed again moved the keyboard about; it goes back
        // before the run notes where it is: to LAP while the run runs, else
        // where the operator was. Stopped, a lap button would record a lap
        // of a clock that stands (a start taken back leaves the keyboard
        // there): start instead, where the stop left it.
        const bool onLap = FFocusBeforeRebuild == LAP || FFocusBeforeRebuild == LAP2 ||
                           FFocusBeforeRebuild == LAP3;
        if (State.Running)
            moveFocus(LAP);
        else if (onLap)
            moveFocus(start);
        else if (FFocusBeforeRebuild)
            FFocusBeforeRebuild->setFocus(Qt::OtherFocusReason);
    }
    DisplayTick();
    marksLater();
}

void TVantel::marksLater() {
    if (std::exchange(FMarksDue, true)) return;
    QTimer::singleShot(0, this, [this] {
        if (FMarksDue) UpdateLapMarks();
    });
}

void TVantel::UpdateLapMarks() {
    FMarksDue = false;
    MarkLapRows(Run.Shown(), Rows, StringGridEx1, XlsStringGrid1);
}

void TVantel::ReturnToStart(const TRunStart& start) {
    FFocusBeforeRebuild = focusWidget();
    if (start.Reset) {
        TClockPlayback play(*start.Reset, 0);
        ResetClick(this);
    } else {
        freshLook();
    }
    ApplyCarry(start.Carry);
}

// The window as it is made, for a run that began before any reset.
void TVantel::freshLook() {
    // A stopwatch never started.
    delete StopWatch1;
    StopWatch1 = new TStopWatch(this);
    StopWatch1->setObjectName(QStringLiteral("StopWatch1"));
    StopWatch1->SetDisplayLabel(Label1);
    for (const LabelDef& d : kLabels)
        (this->*d.Field)->SetCaption(QString::fromLatin1(d.Caption));
    clearLaps();
    State = TRunState();
    FormCreate(this);
    CaptionLapButtons({LAP, LAP2, LAP3}, true);
}

void TVantel::Focus(const QString& name) {
    if (QWidget* f = findChild<QWidget*>(name, Qt::FindDirectChildrenOnly))
        f->setFocus(Qt::OtherFocusReason);
}

bool TVantel::SetPainting(bool on) {
    const bool was = updatesEnabled();
    setUpdatesEnabled(on);
    if (on) {
        StringGridEx1->SyncScrollBars();
        XlsStringGrid1->SyncScrollBars();
    }
    return was;
}

void TVantel::applyTabOrder() {
    // Tab order 0..13; the chart takes no focus.
    QWidget* order[] = {start,       stop,      CuteButton1,   CuteButton2,    LAP,
                        SAVE,        ComboBox1, StringGridEx1, XlsStringGrid1, CuteButton3,
                        CuteButton4, LAP2,      LAP3};
    for (size_t i = 1; i < sizeof order / sizeof order[0]; ++i)
        setTabOrder(order[i - 1], order[i]);
    Chart1->setFocusPolicy(Qt::NoFocus);
}

void TVantel::moveFocus(TCuteButton* button) {
    button->setFocus(Qt::OtherFocusReason);
}

// --- window creation --------------------------------------------------------

void TVantel::FormCreate(QObject*) {
    const QString quotedZero = QStringLiteral("\"00:00:00:000\"");
    Label1->SetCaption(quotedZero);
    Label3->SetCaption(quotedZero);
    Label2->SetCaption(kZeroTime);
    Label9->SetCaption(kZeroTime);
    Label14->SetCaption(kZeroTime);

    State.PrevTotal = 0;
    State.Total = 0;
    State.LapTime = 0;
    State.LapSum = 0;
    State.AveLap = 0;
    State.MixLap1Count = 0;

    XlsStringGrid1->Font().SetColor(0xFDF3AC); // pale blue while it shows the instructions
    int row = 1;
    for (const Msg::TText& text : Msg::Instructions)
        XlsStringGrid1->SetRowText(row++, text());
    XlsStringGrid1->SetRowText(0, Msg::MixHeader());
    Key->SetChecked(true);
}

// --- run buttons ---------------------------------------------------------------

void TVantel::StartClick(QObject*) {
    StopWatch1->Start();
    StopWatch1->ShowTime();
    moveFocus(LAP);
    Label2->SetCaption(kZeroTime);
    State.Running = true;
    for (TLabel* l : {Label3, Label1, Label9, Label14})
        l->SetCaption(kZeroTime);
    // Intended: start leaves Label16 (average km/h) as it was, only reset
    // zeroes it; the replay scenarios' label dumps after a start show that.
    for (TLabel* l : {Label7, Label11, Label12, Label13})
        l->SetCaption(QStringLiteral("0"));

    LapEngine::ClearLapFigures(State);

    XlsStringGrid1->Font().SetColor(0xFBFFFF);
}

void TVantel::StopClick(QObject*) {
    StopWatch1->Stop();
    moveFocus(start);
    State.Running = false;
}

// Spelled as the layout's event binding names it; the name is kept.
void TVantel::ResartClick(QObject*) {
    // Resuming a running watch would start its interval afresh and throw the
    // time since the last resume away: the laps stay, the clock falls back.
    // Running, a restart only gives the keyboard back to LAP.
    if (!State.Running) StopWatch1->Resume();
    moveFocus(LAP);
    State.Running = true;
}

void TVantel::ResetClick(QObject*) {
    StopWatch1->Start();
    StopWatch1->Stop();
    for (TLabel* l : {Label2, Label9, Label14})
        l->SetCaption(kZeroTime);
    for (TLabel* l : {Label7, Label11, Label12, Label13, Label16})
        l->SetCaption(QStringLiteral("0"));
    moveFocus(start);

    TRunState& s = State;
    s.Running = false;
    LapEngine::ClearLapFigures(s);
    s.Lap2Count = s.Lap3Count = s.MixLap1Count = 0;

    clearLaps();
    XlsStringGrid1->SetRowText(0, Msg::MixHeader());
    StringGridEx1->SetTopRow(1);
    XlsStringGrid1->SetTopRow(1);
}

// Every lap shown goes: both grids' cells, both chart lines, which press
// each row showed.
void TVantel::clearLaps() {
    for (TStringGrid* g :
         {static_cast<TStringGrid*>(StringGridEx1), static_cast<TStringGrid*>(XlsStringGrid1)})
        for (int c = 0; c < g->ColCount(); ++c)
            g->ClearColumn(c);
    Chart1->Series(0)->ClearValues();
    Chart1->Series(1)->ClearValues();
    Rows.Clear();
}

// --- lap buttons -----------------------------------------------------------------

void TVantel::LapClick(QObject*) {
    const int32_t elapsed = StopWatch1->Elapsed();
    moveFocus(LAP);
    const LapEngine::MainLapResult lap =
        LapEngine::MainLap(State, elapsed, ComboBox1->ItemIndex() >= 0);
    State = lap.State;
    TRunState& s = State;
    if (lap.NewFastLap) {
        Label9->SetCaption(TimeText(s.LapTime));
        Label12->SetCaption(QString::number(s.LapCount));
    }
    Label7->SetCaption(QString::number(s.LapKmh));
    Label16->SetCaption(QString::number(s.AveKmh));
    Label2->SetCaption(TimeText(s.LapTime));
    Label13->SetCaption(QString::number(s.LapDiff));
    Label11->SetCaption(QString::number(s.LapCount));
    Label14->SetCaption(TimeText(s.AveLap));

    // Each row reads the time of day afresh.
    auto rowText = [&] {
        LapEngine::LapRow r;
        r.LapCount = s.LapCount;
        r.TotalText = GGetStrTime();
        r.LapTimeText = LGetStrTime();
        r.LapDiff = s.LapDiff;
        r.TimeOfDay = Clock::LongTimeText(Clock::Now());
        r.LapTime = s.LapTime;
        r.LapKmh = s.LapKmh;
        r.AveLap = s.AveLap;
        r.AveKmh = s.AveKmh;
        return LapEngine::LapRowText(r);
    };
    showRow(StringGridEx1, s.LapCount, 20, rowText());
    showRow(XlsStringGrid1, s.MixRow, 30, rowText());
    Rows.Wrote(TRowPresses::Main, s.LapCount, FPress);
    Rows.Wrote(TRowPresses::Mix, s.MixRow, FPress);

    feedChartFromGrid(s.LapCount);
}

// The chart takes its points from the main grid's cells, not from the state:
// the cells are what the operator sees and saves, and a cell that does not
// read back as an integer must stop the lap there with the error report, as
// the window always has (the points of a lap never disagree with its row).
void TVantel::feedChartFromGrid(int32_t row) {
    TChartSeries* lapSeries = Chart1->Series(0);
    TChartSeries* aveSeries = Chart1->Series(1);
    // Intended: the first lap of a run adds its point twice, so each line
    // starts with a flat step; the harness's scenarios and the chart tests
    // count on those points.
    if (row <= 1) {
        lapSeries->AddValue(StrToIntDef(StringGridEx1->Cells(6, row), 0), QString(),
                            lapSeries->SeriesColor());
        aveSeries->AddValue(StrToIntDef(StringGridEx1->Cells(8, row), 0), QString(),
                            aveSeries->SeriesColor());
    }
    // Strict: a cell that is not an integer ends the handler with an error
    // report; the labels, state and rows are already updated.
    lapSeries->AddValue(StrToInt(StringGridEx1->Cells(6, row)), QString(),
                        lapSeries->SeriesColor());
    aveSeries->AddValue(StrToInt(StringGridEx1->Cells(8, row)), QString(),
                        aveSeries->SeriesColor());
}

void TVantel::secondaryLap(int button) {
    State = LapEngine::SecondaryLap(State, button, StopWatch1->Elapsed());
    const LapEngine::TSecondaryLap lap = LapEngine::SecondaryOf(State, button);
    showRow(XlsStringGrid1, State.MixRow, 30,
            LapEngine::SecondaryRowText(lap.Count, button, GGetStrTime(), TimeText(lap.Time),
                                        lap.Diff));
    Rows.Wrote(TRowPresses::Mix, State.MixRow, FPress);
}

void TVantel::showRow(TStringGrid* grid, int32_t row, int32_t growFrom, const QString& text) {
    // Past the grid's stored rows it grows to hold the new one.
    if (row >= growFrom) grid->SetRowCount(wrap::add(row, 1));
    grid->SetRowText(row, text);
    grid->SetSelection(TGridRect{0, 0, 0, row});
    if (auto top = LapEngine::ScrollTopFor(row, grid->VisibleRowCount())) grid->SetTopRow(*top);
}

void TVantel::LAP2Click(QObject*) {
    secondaryLap(2);
}

void TVantel::LAP3Click(QObject*) {
    secondaryLap(3);
}

// --- display timer ------------------------------------------------------------

void TVantel::DisplayTick() {
    StopWatch1->ShowTime();
    const int32_t e = StopWatch1->Elapsed();
    if (State.Running) State.LiveLap = wrap::sub(e, State.PrevTotal);
    Label3->SetCaption(AGetStrTime());
}

QString TVantel::TitleText(const QDateTime& now) const {
    return Label1->Caption() + QStringLiteral(" :: ") + Clock::LongTimeText(now);
}

QString TVantel::CaptionText(const QString& title, const QDateTime& now) const {
    static const QString banner = QStringLiteral(" ::") + QString(35, QLatin1Char(' ')) +
                                  VersionText() + QStringLiteral("  ") + CreditText();
    return title + QStringLiteral(" :: ") + QLatin1Char(' ') + Clock::ShortDayName(now) +
           QLatin1Char(' ') + banner;
}

void TVantel::Timer1Timer(QObject*) {
    DisplayTick();
    // One reading of the wall clock serves the caption and the title, so the
    // two agree even across a second or midnight.
    const QDateTime now = Clock::Now();
    const QString title = TitleText(now);
    SetCaption(CaptionText(title, now));
    // The title is the program's, one for all its windows: the window in use gives it.
    if (isActiveWindow() || !QApplication::activeWindow()) Application::SetTitle(title);
}

// --- distance list ------------------------------------------------------------

void TVantel::ComboBox1Change(QObject*) {
    const int i = ComboBox1->ItemIndex();
    State.MeterText = i >= 0 ? ComboBox1->itemText(i) : QString();
    if (State.Running) moveFocus(LAP);
}

void TVantel::ComboBox1KeyPress(QObject*, QChar& Key) {
    if (Key != QChar(13)) return;
    const QString text = ComboBox1->Text();
    if (text.isEmpty()) return;
    const QStringList items = ComboBox1->Items();
    for (const QString& item : items)
        if (item.compare(text, Qt::CaseInsensitive) == 0) return;
    ComboBox1->AddItem(text);
}

void TVantel::addTypedDistance() {
    const QString typed = ComboBox1->Text();
    if (typed.trimmed().isEmpty()) return; // nothing typed, nothing to refuse
    // Refused before it reaches the run, so that it changes nothing and the
    // journal holds no trace of it; the text stays for the operator to mend.
    if (!Distances::Typed(typed)) return ShowRunNote(Msg::DistanceRefused());
    Run.Perform(TRunAction::Add);
}

void TVantel::removeDistance(int index, const QString& text) {
    // Only an entry the operator added goes, and only the one the key was on.
    if (index < DistanceCount || index >= ComboBox1->ItemCount() ||
        ComboBox1->itemText(index) != text)
        return;
    const bool picked = ComboBox1->ItemIndex() == index;
    ComboBox1->RemoveItem(index);
    // Its text stays in the field, as if typed: no distance is picked.
    if (picked) State.MeterText = QString();
}

// --- run journal ------------------------------------------------------------

void TVantel::ShowJournalTrouble(const QString& why) {
    if (!JournalNote)
        JournalNote = new TJournalNote(this, Chart1, TFont(kFont, -13, 0x00FFFF, fsBold));
    JournalNote->Show(why.isEmpty() ? QString() : Msg::JournalNotWritten().arg(why));
}

void TVantel::ShowRunNote(const QString& text) {
    if (!RunNote) {
        RunNote = new TLabel(this);
        RunNote->setObjectName(QStringLiteral("RunNote"));
        RunNote->setGeometry(16, 372, 0, 0);
        RunNote->SetFont(TFont(kFont, -13, clWhite, fsBold));
        RunNote->setFocusPolicy(Qt::NoFocus);
        RunNote->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Read out by screen readers like the figures.
        RunNote->SetAnnounced(true);
        FNoteTimer = new QTimer(this);
        FNoteTimer->setSingleShot(true);
        FNoteTimer->setInterval(12000);
        connect(FNoteTimer, &QTimer::timeout, RunNote, [this] { RunNote->setVisible(false); });
    }
    RunNote->SetCaption(text);
    RunNote->setVisible(!text.isEmpty());
    RunNote->raise();
    FNoteTimer->start();
}

// --- SAVE, row moves, menu --------------------------------------------------------

void TVantel::SAVEClick(QObject*) {
    // The file goes to the working folder under the minute's name, unless
    // another run's save holds that name: the run's own saves say which
    // files it may replace.
    const QString dir = QDir::currentPath();
    QStringList own;
    for (const TActionRecord& a : Run.Actions())
        if (a.Action == TRunAction::Save && !a.Raised && !a.Input.File.isEmpty())
            own << QDir::cleanPath(QDir(a.Input.FileDir.isEmpty() ? dir : a.Input.FileDir)
                                       .absoluteFilePath(a.Input.File));
    const QString stem = SaveNames::Stem(Clock::Now());
    const QString name = SaveNames::Choose(
        dir, stem, own, [](const QString& path) { return QFileInfo::exists(path); });
    if (name.isEmpty()) {
        const QString full = stem + QStringLiteral(".csv");
        throw EFCreateError(
            Msg::CannotCreateFile().arg(full),
            Msg::En::CannotCreateFile().arg(QDir(dir).filePath(full), Msg::NoFreeSaveName()));
    }
    setSaved(name, dir);
    XlsStringGrid1->SetCommaText();
    int laps = 0;
    for (int press : Rows.Presses(TRowPresses::Mix))
        laps += press != 0;
    ShowRunNote(SaveNames::SavedNote(name, dir, laps, QDir::homePath()));
}

void TVantel::setSaved(const QString& file, const QString& dir) {
    CsvFileName = file;
    CsvDir = dir;
    XlsStringGrid1->SetCSVFileName(CsvFileName);
}

void TVantel::CuteButton3Click(QObject*) {
    const int r = XlsStringGrid1->Row();
    if (XlsStringGrid1->MoveUp() == 0) Rows.Swapped(TRowPresses::Mix, r - 1, r);
}
void TVantel::CuteButton4Click(QObject*) {
    const int r = XlsStringGrid1->Row();
    if (XlsStringGrid1->MoveDown() == 0) Rows.Swapped(TRowPresses::Mix, r, r + 1);
}

void TVantel::About1Click(QObject*) {
    ShowInfoMessage(Msg::AboutCaption(), AboutText());
}
void TVantel::Help1Click(QObject*) {
    ShowInfoMessage(Msg::HelpCaption(), HelpText());
}

void TVantel::KeyClick(QObject*) {
    const bool keyed = !Key->Checked();
    Key->SetChecked(keyed);
    CaptionLapButtons({LAP, LAP2, LAP3}, keyed);
}
