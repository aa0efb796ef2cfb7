#include "Messages.h"

#include <QCoreApplication>

namespace Msg {

QString TText::operator()() const {
    return QCoreApplication::translate(Context, Source);
}

QString TCounted::operator()(int n) const {
    return (n == 1 ? One : Many)().arg(n);
}

// --- the main window ----------------------------------------------------------

constinit const TText AppName = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "Vantel")};
constinit const TText Version = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "Vantel vr.012a")};
constinit const TText Credit = {"Vantel",
                                QT_TRANSLATE_NOOP("Vantel", "(c) 2026 the Vantel developers")};
constinit const TText AboutCaption = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "About")};
constinit const TText About = {
    "Vantel", QT_TRANSLATE_NOOP("Vantel", "Vantel vr. 012a\rLap-timing stopwatch\r(c) 2026 the "
                                          "Vantel developers")};
constinit const TText HelpCaption = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "Help")};
constinit const TText Help = {
    "Vantel", QT_TRANSLATE_NOOP("Vantel", "\rEnter or Space Key is Focus Button\r\rTab key is "
                                          "Focus change\r\rSAVE TO FILE is CSV\r\rStop is NO Lap")};
constinit const TText MenuAbout = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "&About")};
constinit const TText MenuHelp = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "&Help")};
constinit const TText MenuKey = {"Vantel", QT_TRANSLATE_NOOP("Vantel", "&Key")};
constinit const TText LapKeyed[3] = {{"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP(&1)")},
                                     {"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP(&2)")},
                                     {"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP(&3)")}};
constinit const TText LapPlain[3] = {{"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP1")},
                                     {"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP2")},
                                     {"Vantel", QT_TRANSLATE_NOOP("Vantel", "LAP3")}};
constinit const TText MixHeader = {
    "Vantel", QT_TRANSLATE_NOOP("Vantel", "Lap,Number,Total,Laptime,Lap+-milli,Realtime,Lap-milli,"
                                          "Lap-Km/h,Average-milli,Ave-Km/h")};
constinit const TText Instructions[InstructionCount] = {
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" < --- ",Pulldown,select-meter)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"("or Add to"," write"," & Enterkey",Press)")},
    {"Vantel", QT_TRANSLATE_NOOP(
                   "Vantel", R"("& select-meter ","and   Reset"," -----Ready ",EnterKey," GO!")")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",5864m,Suzuka Full)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3466m,Suzuka West)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",4801m,Motegi Full)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",1490m,Motegi West)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3422m,Motegi East)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",2492m,Motegi Cart)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",2045m,Tukuba)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",4400m,Fuji)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",2804m,Central)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3703m,TI Aida)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",2007m,Nakayama)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3330m,Central MINE)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",1004m,Aso)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",4674m,Auto Police)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",2061m,Ebisu)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3704m,SUGO)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",4063m,Sendai)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",5091m,Tokachi Full)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",3405m,Tokachi East)")},
    {"Vantel", QT_TRANSLATE_NOOP("Vantel", R"(" ",1700m,Tokachi West)")},
};

// --- toolkit --------------------------------------------------------------------

constinit const TText ErrorCaption = {"Toolkit", QT_TRANSLATE_NOOP("Toolkit", "エラー")};
constinit const TText NotAnInteger = {"Toolkit",
                                      QT_TRANSLATE_NOOP("Toolkit", "'%1' は整数ではありません")};
constinit const TText TypeMismatch = {"Toolkit",
                                      QT_TRANSLATE_NOOP("Toolkit", "型が一致しません: %1 (%2)")};
constinit const TText NotAnObject = {
    "Toolkit", QT_TRANSLATE_NOOP("Toolkit", "オブジェクトではありません: %1")};
constinit const TText InvalidClassString = {
    "Toolkit", QT_TRANSLATE_NOOP("Toolkit", "クラス文字列が無効です: %1")};
constinit const TText CannotCreateObject = {
    "Toolkit", QT_TRANSLATE_NOOP("Toolkit", "オブジェクトを作成できません: %1")};
constinit const TText OperationUnavailable = {
    "Toolkit", QT_TRANSLATE_NOOP("Toolkit", "操作は利用できません: %1")};
constinit const TText ArgCount = {"Toolkit",
                                  QT_TRANSLATE_NOOP("Toolkit", "引数の数が正しくありません")};
constinit const TText ArgCountOf = {"Toolkit",
                                    QT_TRANSLATE_NOOP("Toolkit", "引数の数が正しくありません: %1")};
constinit const TText UnknownName = {"Toolkit",
                                     QT_TRANSLATE_NOOP("Toolkit", "不明な名前です: %1.%2")};
constinit const TText CannotSet = {"Toolkit",
                                   QT_TRANSLATE_NOOP("Toolkit", "値を設定できません: %1.%2")};
constinit const TText NoValue = {"Toolkit", QT_TRANSLATE_NOOP("Toolkit", "値がありません: %1")};
constinit const TText CannotRead = {"Toolkit",
                                    QT_TRANSLATE_NOOP("Toolkit", "値を読めません: %1.%2")};

// --- files ------------------------------------------------------------------------

constinit const TText CannotCreateFile = {
    "Files", QT_TRANSLATE_NOOP("Files", "ファイル %1 を作成できません")};
constinit const TText CannotOpenFile = {"Files",
                                        QT_TRANSLATE_NOOP("Files", "ファイル %1 は開けません")};
constinit const TText StreamWriteError = {
    "Files", QT_TRANSLATE_NOOP("Files", "ストリームへの書き込みエラー")};
constinit const TText StreamReadError = {"Files",
                                         QT_TRANSLATE_NOOP("Files", "ストリームの読み込みエラー")};
constinit const TText FileExists = {"Files",
                                    QT_TRANSLATE_NOOP("Files", "ファイルが既に存在します: %1")};

// --- the mix grid -------------------------------------------------------------------

constinit const TText NoData = {
    "MixGrid", QT_TRANSLATE_NOOP("MixGrid", "グリッド内に、コピーするデータがありません。")};
constinit const TText TooLong = {
    "MixGrid",
    QT_TRANSLATE_NOOP("MixGrid",
                      "コピーする領域がシステムの許容範囲を越えたので、\r\nコピーを中断します。")};
constinit const TText NoCsvFile = {
    "MixGrid",
    QT_TRANSLATE_NOOP("MixGrid",
                      "CSVファイル名が指定されていないか、指定されたファイルが存在しません。")};
constinit const TText FirstRow = {"MixGrid",
                                  QT_TRANSLATE_NOOP("MixGrid", "先頭行なので上に移動できません。")};
constinit const TText LastRow = {
    "MixGrid", QT_TRANSLATE_NOOP("MixGrid", "最下位行なので下に移動できません。")};
constinit const TText StartValue = {
    "MixGrid", QT_TRANSLATE_NOOP("MixGrid", "1以上の整数を入力してください。")};
constinit const TText NoSpreadsheet = {
    "MixGrid", QT_TRANSLATE_NOOP("MixGrid", "MS-Excelを起動できませんでした。\r\nMS-"
                                            "Excelのインストールを確認してください。")};
constinit const TText Automation = {
    "MixGrid", QT_TRANSLATE_NOOP("MixGrid", "ＯＬＥ実行中にエラーが発生しました。")};
constinit const TText ColumnOutOfRange = {"MixGrid",
                                          QT_TRANSLATE_NOOP("MixGrid", "列番号が範囲外です: %1")};

// --- the chart ----------------------------------------------------------------------

constinit const TText AngleRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "%1の角度は 0 から 359 の間でなければなりません")};
constinit const TText AxisTitleName = {"Chart", QT_TRANSLATE_NOOP("Chart", "軸タイトル")};
constinit const TText AxisLabelsName = {"Chart", QT_TRANSLATE_NOOP("Chart", "軸ラベル")};
constinit const TText IncrementRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "軸の増加単位は 0 以上でなければなりません")};
constinit const TText MinimumRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "軸の最小値は最大値以下でなければなりません")};
constinit const TText MaximumRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "軸の最大値は最小値以上でなければなりません")};
constinit const TText LabelsSeparationRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "ラベルの間隔は 0 以上でなければなりません")};
constinit const TText DateTimeLogarithmic = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "日付時刻軸を対数軸にすることはできません")};
constinit const TText LogarithmicRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "対数軸の最大/最小値は 0 以上でなければなりません")};
constinit const TText Chart3DPercentRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "３次元効果の割合は %1 から %2 の間でなければなりません")};
constinit const TText MaxPointsPerPageRange = {
    "Chart", QT_TRANSLATE_NOOP("Chart", "MaxPointsPerPage は 0 以上でなければなりません")};

// --- the built-in spreadsheet ----------------------------------------------------------

constinit const TText ServerClosed = {"Spreadsheet",
                                      QT_TRANSLATE_NOOP("Spreadsheet", "サーバーは終了しています")};
constinit const TText BookClosed = {"Spreadsheet",
                                    QT_TRANSLATE_NOOP("Spreadsheet", "ブックは閉じられています")};
constinit const TText ColorOutOfRange = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "色の値が範囲外です: %1")};
constinit const TText SheetNameLength = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "シート名の長さが無効です: %1")};
constinit const TText SheetNameChars = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "シート名に使えない文字があります: %1")};
constinit const TText SheetNameUsed = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "シート名は既に使われています: %1")};
constinit const TText SheetNameInvalid = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "シート名が無効です: %1")};
constinit const TText BorderWeight = {"Spreadsheet",
                                      QT_TRANSLATE_NOOP("Spreadsheet", "罫線の太さが無効です: %1")};
constinit const TText FontSize = {"Spreadsheet",
                                  QT_TRANSLATE_NOOP("Spreadsheet", "フォントサイズが無効です: %1")};
constinit const TText FontName = {"Spreadsheet",
                                  QT_TRANSLATE_NOOP("Spreadsheet", "フォント名が無効です: %1")};
constinit const TText UnderlineKind = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "下線の種類が無効です: %1")};
constinit const TText PasteOutside = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "貼り付け先がシートの範囲を越えています")};
constinit const TText AutoFitColumns = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "AutoFit は列全体にだけ使えます")};
constinit const TText HeaderTooLong = {"Spreadsheet",
                                       QT_TRANSLATE_NOOP("Spreadsheet", "ヘッダーが長すぎます")};
constinit const TText Orientation = {"Spreadsheet",
                                     QT_TRANSLATE_NOOP("Spreadsheet", "用紙の向きが無効です: %1")};
constinit const TText CellOutOfRange = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "セルの位置が範囲外です: %1, %2")};
constinit const TText RangeInvalid = {"Spreadsheet",
                                      QT_TRANSLATE_NOOP("Spreadsheet", "範囲が無効です: %1")};
constinit const TText IndexOutOfRange = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "インデックスが有効範囲にありません: %1")};
constinit const TText SavedNotOpened = {
    "Spreadsheet",
    QT_TRANSLATE_NOOP("Spreadsheet",
                      "ブックを保存しましたが、開くことができませんでした。\r\n保存先: %1")};
constinit const TText NoOpenBook = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "開いているブックがありません")};
constinit const TText WindowState = {
    "Spreadsheet", QT_TRANSLATE_NOOP("Spreadsheet", "ウィンドウの状態が無効です: %1")};

// --- the run journal -----------------------------------------------------------

constinit const TCounted RestoreQuestion = {
    {"Journal", QT_TRANSLATE_NOOP("Journal", "The run started at %2 was interrupted at %3 after %1 "
                                             "lap (LAP2: %4, LAP3: %5). Restore it?")},
    {"Journal", QT_TRANSLATE_NOOP("Journal", "The run started at %2 was interrupted at %3 after %1 "
                                             "laps (LAP2: %4, LAP3: %5). Restore it?")}};
constinit const TCounted RestoreUnread = {
    {"Journal", QT_TRANSLATE_NOOP("Journal", "Its journal is damaged after line %2: %1 action "
                                             "could not be read and is left out.")},
    {"Journal", QT_TRANSLATE_NOOP("Journal", "Its journal is damaged after line %2: %1 actions "
                                             "could not be read and are left out.")}};
constinit const TText RestoreCarryLost = {
    "Journal",
    QT_TRANSLATE_NOOP("Journal", "What the previous run left (settings, distance list, grid "
                                 "shapes) could not be read: the run comes back on the window as "
                                 "it opens.")};
constinit const TText RestoreButton = {"Journal", QT_TRANSLATE_NOOP("Journal", "Restore")};
constinit const TText DiscardButton = {"Journal", QT_TRANSLATE_NOOP("Journal", "Discard")};
constinit const TText JournalNotWritten = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "Run journal not written, the run goes on: %1")};
constinit const TText JournalUnreadable = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "The run journal %1 could not be read: %2. %3")};
constinit const TText JournalMoved = {"Journal",
                                      QT_TRANSLATE_NOOP("Journal", "It was moved to %1.")};
constinit const TText JournalNotMoved = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "It could not be moved and stays there.")};
constinit const TText JournalEmpty = {"Journal", QT_TRANSLATE_NOOP("Journal", "the file is empty")};
constinit const TText JournalForeign = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "it is not a Vantel run journal")};
constinit const TText JournalVersion = {"Journal",
                                        QT_TRANSLATE_NOOP("Journal", "its version %1 is unknown")};
constinit const TText JournalNewer = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "written by a newer Vantel, format %1")};
constinit const TText JournalDamaged = {"Journal",
                                        QT_TRANSLATE_NOOP("Journal", "line %1 is damaged")};
constinit const TText JournalNoAccess = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "it may not be read or written")};
constinit const TText JournalTooLarge = {"Journal",
                                         QT_TRANSLATE_NOOP("Journal", "it is too large")};
constinit const TText NotAFolder = {"Journal", QT_TRANSLATE_NOOP("Journal", "%1: not a folder")};
constinit const TText NoFreeJournalName = {
    "Journal", QT_TRANSLATE_NOOP("Journal", "%1: no free journal name")};

constinit const TText CorrectionDeleted = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "Deleted %1; Ctrl+Z undoes it.")};
constinit const TText CorrectionInserted = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "Inserted %1; Ctrl+Z undoes it.")};
constinit const TText CorrectionUndone = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "Undone: %1; Ctrl+Y redoes it.")};
constinit const TText CorrectionRedone = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "Redone: %1; Ctrl+Z undoes it.")};
constinit const TText CorrectionPress = {"Correction",
                                         QT_TRANSLATE_NOOP("Correction", "%1 lap %2 (%3)")};
constinit const TText NothingToUndo = {"Correction",
                                       QT_TRANSLATE_NOOP("Correction", "Nothing to undo.")};
constinit const TText NothingToRedo = {"Correction",
                                       QT_TRANSLATE_NOOP("Correction", "Nothing to redo.")};
constinit const TText NoPressInRow = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "That row shows no lap of this run.")};
constinit const TText OutsideTheLap = {
    "Correction",
    QT_TRANSLATE_NOOP("Correction",
                      "The new press must fall inside the lap, after %1 and before %2.")};
constinit const TText TooShortToSplit = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "That lap is too short to split.")};
constinit const TText CorrectionDeleteOf = {"Correction",
                                            QT_TRANSLATE_NOOP("Correction", "the delete of %1")};
constinit const TText CorrectionInsertOf = {"Correction",
                                            QT_TRANSLATE_NOOP("Correction", "the insert of %1")};
constinit const TText InsertTotalHint = {
    "Correction",
    QT_TRANSLATE_NOOP("Correction", "Total of the missed press, as 00:01:02:500 or in ms; Enter")};
constinit const TText MenuDeletePress = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "&Delete this press\tDelete")};
constinit const TText MenuSplitLap = {
    "Correction",
    QT_TRANSLATE_NOOP("Correction", "&Insert a press in the middle of this lap\tInsert")};
constinit const TText MenuInsertAt = {
    "Correction", QT_TRANSLATE_NOOP("Correction", "Insert a press at a &total...\tShift+Insert")};
constinit const TText MenuUndo = {"Correction",
                                  QT_TRANSLATE_NOOP("Correction", "&Undo correction\tCtrl+Z")};
constinit const TText MenuRedo = {"Correction",
                                  QT_TRANSLATE_NOOP("Correction", "&Redo correction\tCtrl+Y")};
constinit const TText DistanceRefused = {
    "Vantel",
    QT_TRANSLATE_NOOP("Vantel", "Distance must be a whole number of metres from 1 to 214748")};
constinit const TText KeysHelpCaption = {"Correction",
                                         QT_TRANSLATE_NOOP("Correction", "Vantel keys")};
constinit const TText KeysHelp = {
    "Correction",
    QT_TRANSLATE_NOOP(
        "Correction",
        "Timing\n"
        "  Enter on start starts the count and moves to LAP\n"
        "  stop, restart, reset: Shift+Tab from LAP; restart while running only\n"
        "  goes back to LAP\n"
        "  Enter, Space or 1: a LAP lap; 2 and 3: LAP2 and LAP3 laps\n"
        "  Alt+1, Alt+2, Alt+3: the same from any control, the distance list too\n"
        "  A held lap key records one lap\n"
        "  Key (right-click menu): the lap buttons' accelerators on or off\n"
        "\n"
        "Correcting a run, on a row of either grid\n"
        "  Delete: takes the row's press out\n"
        "  Insert: puts a missed press in the middle of the row's lap\n"
        "  Shift+Insert: puts one in at a total you type\n"
        "  Ctrl+Z undoes, Ctrl+Y or Ctrl+Shift+Z redoes\n"
        "  Ctrl+Z right after a start over a stopped run's laps takes the start\n"
        "  back, until the new count's first lap\n"
        "  A right click on the row: the same from a menu\n"
        "\n"
        "Distance list\n"
        "  Enter adds the typed distance, a whole number of metres from 1 to 214748\n"
        "  Shift+Delete takes out an entry you added: the highlighted one of the\n"
        "  open list, else the one picked; the built-in entries stay\n"
        "\n"
        "From outside the window\n"
        "  vantel --lap (--lap2, --lap3, --start, --stop, --restart): for a desktop\n"
        "  shortcut, a script or a button box\n"
        "  Global keys, pedals and USB buttons: right-click, Lap inputs...\n"
        "  1, 2, 3 and Alt+1 to Alt+3 go on pressing the lap buttons while a box is open\n"
        "\n"
        "Files\n"
        "  SAVE writes yymmddhhnn.csv in the folder Vantel started in; a file of\n"
        "  that name from another run is kept, and the save goes to yymmddhhnn-2.csv\n"
        "  Every run is kept as it happens in ~/.local/state/vantel; after a\n"
        "  crash or kill the next start offers to bring it back")};

// --- what a save and a start over laps tell the operator -----------------------

constinit const TText SavedLaps = {"Run", QT_TRANSLATE_NOOP("Run", "Saved %1: %2 laps, in %3")};
constinit const TText SavedOneLap = {"Run", QT_TRANSLATE_NOOP("Run", "Saved %1: 1 lap, in %2")};
constinit const TText StartedOverLaps = {
    "Run",
    QT_TRANSLATE_NOOP("Run", "New count started over %1 unsaved laps; Ctrl+Z brings them back.")};
constinit const TText StartedOverOneLap = {
    "Run",
    QT_TRANSLATE_NOOP("Run", "New count started over 1 unsaved lap; Ctrl+Z brings it back.")};
constinit const TText StartTakenBack = {
    "Run", QT_TRANSLATE_NOOP("Run", "Start taken back: the earlier laps are back; Ctrl+Y "
                                    "starts the new count again.")};
constinit const TText StartOfCount = {"Run", QT_TRANSLATE_NOOP("Run", "the new count's start")};
constinit const TText NoFreeSaveName = {
    "Run", QT_TRANSLATE_NOOP("Run", "other runs' saves hold this minute's name up to -9999")};

// --- marked laps -----------------------------------------------------------------

constinit const TText LapMarkShort = {
    "Laps", QT_TRANSLATE_NOOP("Laps", "shorter than 40 % of the median lap")};
constinit const TText LapMarkLong = {
    "Laps", QT_TRANSLATE_NOOP("Laps", "longer than 180 % of the median lap")};
constinit const TText ShortcutName[3] = {{"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", "LAP")},
                                         {"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", "LAP2")},
                                         {"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", "LAP3")}};
constinit const TText DesktopShortcuts = {"Shortcuts",
                                          QT_TRANSLATE_NOOP("Shortcuts", "Desktop shortcuts: %1")};
constinit const TText ShortcutTrigger = {"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", "%1: %2")};
constinit const TText ShortcutUnset = {"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", "%1: not set")};
constinit const TText ListSeparator = {"Shortcuts", QT_TRANSLATE_NOOP("Shortcuts", ", ")};

constinit const TText DeviceNoAccess = {
    "Inputs",
    QT_TRANSLATE_NOOP(
        "Inputs",
        "Cannot read the lap input %1: %2. Add yourself to the group input (sudo usermod -aG "
        "input $USER, then log out and in again). If the device is not in that group, a udev "
        "rule puts it there: a line SUBSYSTEM==\"input\", ATTRS{idVendor}==\"%3\", "
        "MODE=\"0660\", GROUP=\"input\" in /etc/udev/rules.d/70-vantel.rules, then sudo "
        "udevadm trigger.")};
constinit const TText DeviceNotOpened = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Cannot open the lap input %1: %2")};
constinit const TText DeviceHeld = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "The lap input %1 is held by another program: its "
                                          "presses reach Vantel only once that program lets go.")};
constinit const TText DeviceGone = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "The lap input %1 is gone: its presses are no longer "
                                          "read. Plug it in and start Vantel again.")};
constinit const TText LapInputNoDevice = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs: entry %1 names no device; it is left out.")};
constinit const TText LapInputNoKey = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs: %1 has no key; it is left out.")};
constinit const TText LapInputUnknownKey = {
    "Inputs",
    QT_TRANSLATE_NOOP("Inputs", "Lap inputs: %1 has the unknown key %2; it is left out.")};
constinit const TText LapInputBadButton = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs: %1 presses %2, which is not lap, lap2 or "
                                          "lap3; it is left out.")};
constinit const TText LapInputBadDebounce = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs: %1 has the debounce %2, not a whole "
                                          "number of ms from 0 to 1000; it keeps %3 ms.")};
constinit const TText LearnNoAccess = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Not listening to %1: no access. Add yourself to the "
                                          "group input (sudo usermod -aG input $USER, then log "
                                          "out and in again).")};
// --- the desktop's actions and the command line ----------------------------------

constinit const TText CommandUsage = {
    "Command",
    QT_TRANSLATE_NOOP("Command", "Usage: vantel [--lap | --lap2 | --lap3 | --start | --stop | "
                                 "--restart]\nWithout an option Vantel opens its window; with "
                                 "one it presses that button of the running Vantel and exits.")};
constinit const TText NotRunning = {"Command",
                                    QT_TRANSLATE_NOOP("Command", "Vantel is not running")};
constinit const TText PressNotTaken = {
    "Command", QT_TRANSLATE_NOOP("Command", "Vantel did not take the press: %1")};
constinit const TText BusNameTaken = {
    "Command", QT_TRANSLATE_NOOP("Command", "vantel: another Vantel owns %1 on the session bus; "
                                            "the desktop's actions and vantel --lap go to that "
                                            "one")};
constinit const TText BusNotReached = {
    "Command", QT_TRANSLATE_NOOP("Command", "vantel: no session bus (%1); the desktop's actions "
                                            "and vantel --lap cannot reach this window")};
constinit const TText UnknownAction = {"Command",
                                       QT_TRANSLATE_NOOP("Command", "Vantel has no action '%1'")};
constinit const TText ActionParameter = {
    "Command", QT_TRANSLATE_NOOP("Command", "the action '%1' takes no parameter")};
constinit const TText PressTickType = {
    "Command", QT_TRANSLATE_NOOP("Command", "%1 must be a uint32 (the tick counter), not %2")};
constinit const TText PlatformDataSize = {
    "Command", QT_TRANSLATE_NOOP("Command", "platform data of more than %1 entries")};
constinit const TText OpensNoFiles = {"Command",
                                      QT_TRANSLATE_NOOP("Command", "Vantel opens no files")};

// --- the lap inputs from outside the window -------------------------------------------

constinit const TText MenuLapInputs = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs…")};
constinit const TText MenuLiveBoard = {"Board", QT_TRANSLATE_NOOP("Board", "Live board…")};
constinit const TText BoardNotOpen = {
    "Board", QT_TRANSLATE_NOOP("Board", "The live board cannot open port %1: %2")};
constinit const TText LapInputsCaption = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Lap inputs")};
constinit const TText GlobalKeyLabel = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "%1 global key:")};
constinit const TText GlobalKeyClear = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Clear")};
constinit const TText LapInputsApply = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "&Apply")};
constinit const TText LapInputsClose = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "&Close")};
constinit const TText DevicesTitle = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Pedals and buttons")};
constinit const TText DevicePressNow = {"Inputs",
                                        QT_TRANSLATE_NOOP("Inputs", "Press it now for %1")};
constinit const TText DevicePressNowStatus = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Press the pedal or button for %1 now.")};
constinit const TText DeviceNoneToListen = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "No input device with keys can be read.")};
constinit const TText DeviceCaught = {"Inputs",
                                      QT_TRANSLATE_NOOP("Inputs", "Caught: %1. Save keeps it.")};
constinit const TText DeviceLine = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "%1: %2 %3, %4 ms")};
constinit const TText DeviceDebounce = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Debounce:")};
constinit const TText DeviceRemove = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Remove")};
constinit const TText DeviceSave = {"Inputs", QT_TRANSLATE_NOOP("Inputs", "Save devices")};
constinit const TText GlobalKeysTitle = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "Global keys (pressed in any program)")};
constinit const TText GlobalKeyTaken = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "The key %1 for %2 is held by another program; it "
                                          "presses nothing in Vantel.")};
constinit const TText GlobalKeyUnknown = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "'%1' in the setting %2 is not a key; it is ignored.")};
constinit const TText GlobalKeyTwice = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "'%1' in the setting %2 is already another lap "
                                          "button's key; it is ignored.")};
constinit const TText GlobalKeyNoKeycode = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "The key %1 for %2 is not on this keyboard.")};
constinit const TText GlobalKeyFailed = {
    "Inputs", QT_TRANSLATE_NOOP("Inputs", "The key %1 for %2 could not be taken (X error %3).")};

// --- the same errors in English ----------------------------------------------------

namespace En {
constinit const TText NotAnInteger = {"English",
                                      QT_TRANSLATE_NOOP("English", "'%1' is not an integer")};
constinit const TText TypeMismatch = {"English",
                                      QT_TRANSLATE_NOOP("English", "Type mismatch: %1 (%2)")};
constinit const TText NotAnObject = {"English", QT_TRANSLATE_NOOP("English", "Not an object: %1")};
constinit const TText InvalidClassString = {
    "English", QT_TRANSLATE_NOOP("English", "Invalid class string: %1")};
constinit const TText CannotCreateObject = {
    "English", QT_TRANSLATE_NOOP("English", "Cannot create the object: %1")};
constinit const TText OperationUnavailable = {
    "English", QT_TRANSLATE_NOOP("English", "Operation unavailable: %1")};
constinit const TText ArgCount = {"English",
                                  QT_TRANSLATE_NOOP("English", "Wrong number of arguments")};
constinit const TText ArgCountOf = {"English",
                                    QT_TRANSLATE_NOOP("English", "Wrong number of arguments: %1")};
constinit const TText UnknownName = {"English",
                                     QT_TRANSLATE_NOOP("English", "Unknown name: %1.%2")};
constinit const TText CannotSet = {"English",
                                   QT_TRANSLATE_NOOP("English", "Cannot set the value: %1.%2")};
constinit const TText NoValue = {"English", QT_TRANSLATE_NOOP("English", "No value: %1")};
constinit const TText CannotRead = {"English",
                                    QT_TRANSLATE_NOOP("English", "Cannot read the value: %1.%2")};
constinit const TText CannotCreateFile = {"English",
                                          QT_TRANSLATE_NOOP("English", "Cannot create %1: %2")};
constinit const TText CannotOpenFile = {"English",
                                        QT_TRANSLATE_NOOP("English", "Cannot open %1: %2")};
constinit const TText StreamWriteError = {"English",
                                          QT_TRANSLATE_NOOP("English", "Cannot write %1: %2")};
constinit const TText StreamReadError = {"English",
                                         QT_TRANSLATE_NOOP("English", "Cannot read %1: %2")};
constinit const TText UnknownReason = {"English", QT_TRANSLATE_NOOP("English", "error %1")};
constinit const TText FileExists = {"English",
                                    QT_TRANSLATE_NOOP("English", "The file already exists: %1")};
constinit const TText NoData = {"English",
                                QT_TRANSLATE_NOOP("English", "The grid holds no data to copy.")};
constinit const TText TooLong = {
    "English",
    QT_TRANSLATE_NOOP(
        "English", "The area to copy is larger than the system allows, so the copy was stopped.")};
constinit const TText NoCsvFile = {
    "English",
    QT_TRANSLATE_NOOP("English", "No CSV file name was given, or the file given does not exist.")};
constinit const TText FirstRow = {"English",
                                  QT_TRANSLATE_NOOP("English", "The first row cannot move up.")};
constinit const TText LastRow = {"English",
                                 QT_TRANSLATE_NOOP("English", "The last row cannot move down.")};
constinit const TText StartValue = {
    "English", QT_TRANSLATE_NOOP("English", "Enter a whole number of 1 or more.")};
constinit const TText NoSpreadsheet = {
    "English",
    QT_TRANSLATE_NOOP(
        "English",
        "The spreadsheet application could not be started. Check that it is installed.")};
constinit const TText Automation = {
    "English", QT_TRANSLATE_NOOP("English", "An error occurred during the spreadsheet export.")};
constinit const TText ColumnOutOfRange = {
    "English", QT_TRANSLATE_NOOP("English", "Column number out of range: %1")};
constinit const TText AngleRange = {
    "English", QT_TRANSLATE_NOOP("English", "The %1 angle must be between 0 and 359")};
constinit const TText AxisTitleName = {"English", QT_TRANSLATE_NOOP("English", "axis title")};
constinit const TText AxisLabelsName = {"English", QT_TRANSLATE_NOOP("English", "axis labels")};
constinit const TText IncrementRange = {
    "English", QT_TRANSLATE_NOOP("English", "The axis increment must be 0 or more")};
constinit const TText MinimumRange = {
    "English", QT_TRANSLATE_NOOP("English", "The axis minimum must not be above the maximum")};
constinit const TText MaximumRange = {
    "English", QT_TRANSLATE_NOOP("English", "The axis maximum must not be below the minimum")};
constinit const TText LabelsSeparationRange = {
    "English", QT_TRANSLATE_NOOP("English", "The label separation must be 0 or more")};
constinit const TText DateTimeLogarithmic = {
    "English", QT_TRANSLATE_NOOP("English", "A date and time axis cannot be logarithmic")};
constinit const TText LogarithmicRange = {
    "English", QT_TRANSLATE_NOOP(
                   "English", "The maximum and minimum of a logarithmic axis must be 0 or more")};
constinit const TText Chart3DPercentRange = {
    "English", QT_TRANSLATE_NOOP("English", "The 3D effect percentage must be between %1 and %2")};
constinit const TText MaxPointsPerPageRange = {
    "English", QT_TRANSLATE_NOOP("English", "MaxPointsPerPage must be 0 or more")};
constinit const TText ServerClosed = {"English",
                                      QT_TRANSLATE_NOOP("English", "The server has quit")};
constinit const TText BookClosed = {"English",
                                    QT_TRANSLATE_NOOP("English", "The workbook is closed")};
constinit const TText ColorOutOfRange = {
    "English", QT_TRANSLATE_NOOP("English", "Colour value out of range: %1")};
constinit const TText SheetNameLength = {
    "English", QT_TRANSLATE_NOOP("English", "Invalid sheet name length: %1")};
constinit const TText SheetNameChars = {
    "English",
    QT_TRANSLATE_NOOP("English", "The sheet name holds characters that are not allowed: %1")};
constinit const TText SheetNameUsed = {
    "English", QT_TRANSLATE_NOOP("English", "The sheet name is already in use: %1")};
constinit const TText SheetNameInvalid = {"English",
                                          QT_TRANSLATE_NOOP("English", "Invalid sheet name: %1")};
constinit const TText BorderWeight = {"English",
                                      QT_TRANSLATE_NOOP("English", "Invalid border weight: %1")};
constinit const TText FontSize = {"English", QT_TRANSLATE_NOOP("English", "Invalid font size: %1")};
constinit const TText FontName = {"English", QT_TRANSLATE_NOOP("English", "Invalid font name: %1")};
constinit const TText UnderlineKind = {"English",
                                       QT_TRANSLATE_NOOP("English", "Invalid underline kind: %1")};
constinit const TText PasteOutside = {
    "English", QT_TRANSLATE_NOOP("English", "The paste reaches beyond the sheet")};
constinit const TText AutoFitColumns = {
    "English", QT_TRANSLATE_NOOP("English", "AutoFit works on whole columns only")};
constinit const TText HeaderTooLong = {"English",
                                       QT_TRANSLATE_NOOP("English", "The header is too long")};
constinit const TText Orientation = {"English",
                                     QT_TRANSLATE_NOOP("English", "Invalid page orientation: %1")};
constinit const TText CellOutOfRange = {
    "English", QT_TRANSLATE_NOOP("English", "Cell position out of range: %1, %2")};
constinit const TText RangeInvalid = {"English", QT_TRANSLATE_NOOP("English", "Invalid range: %1")};
constinit const TText IndexOutOfRange = {"English",
                                         QT_TRANSLATE_NOOP("English", "Index out of range: %1")};
constinit const TText SavedNotOpened = {
    "English",
    QT_TRANSLATE_NOOP("English", "The workbook was saved but could not be opened.\rSaved as: %1")};
constinit const TText NoOpenBook = {"English", QT_TRANSLATE_NOOP("English", "No workbook is open")};
constinit const TText WindowState = {"English",
                                     QT_TRANSLATE_NOOP("English", "Invalid window state: %1")};
} // namespace En

} // namespace Msg
