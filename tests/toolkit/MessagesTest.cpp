#include "Messages.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The one place a text's characters are written out again: every catalogue
// entry against the exact text users see, stored files hold and the replay
// scenarios expect. Everything else compares against the names.
namespace {

struct Pin {
    const char* name;
    const Msg::TText& text;
    const char* want;
};

const std::vector<Pin>& pins() {
// The name comes from the entry itself, so a failure names the right one.
#define PIN(entry, want)                                                                           \
    Pin {                                                                                          \
#entry, Msg::entry, want                                                                   \
    }
    static const std::vector<Pin> all = {
        PIN(AppName, "Vantel"),
        PIN(Version, "Vantel vr.012a"),
        PIN(Credit, "(c) 2026 the Vantel developers"),
        PIN(AboutCaption, "About"),
        PIN(About, "Vantel vr. 012a\rLap-timing stopwatch\r(c) 2026 the Vantel developers"),
        PIN(HelpCaption, "Help"),
        PIN(Help,
            "\rEnter or Space Key is Focus Button\r\rTab key is Focus change\r\rSAVE TO FILE is "
            "CSV\r\rStop is NO Lap"),
        PIN(MenuAbout, "&About"),
        PIN(MenuHelp, "&Help"),
        PIN(MenuKey, "&Key"),
        PIN(LapKeyed[0], "LAP(&1)"),
        PIN(LapKeyed[1], "LAP(&2)"),
        PIN(LapKeyed[2], "LAP(&3)"),
        PIN(LapPlain[0], "LAP1"),
        PIN(LapPlain[1], "LAP2"),
        PIN(LapPlain[2], "LAP3"),
        PIN(MixHeader,
            "Lap,Number,Total,Laptime,Lap+-milli,Realtime,Lap-milli,Lap-Km/h,Average-milli,"
            "Ave-Km/h"),
        PIN(Instructions[0], "\" < --- \",Pulldown,select-meter"),
        PIN(Instructions[1], "\"or Add to\",\" write\",\" & Enterkey\",Press"),
        PIN(Instructions[2],
            "\"& select-meter \",\"and   Reset\",\" -----Ready \",EnterKey,\" GO!\""),
        PIN(Instructions[3], "\" \",5864m,Suzuka Full"),
        PIN(Instructions[4], "\" \",3466m,Suzuka West"),
        PIN(Instructions[5], "\" \",4801m,Motegi Full"),
        PIN(Instructions[6], "\" \",1490m,Motegi West"),
        PIN(Instructions[7], "\" \",3422m,Motegi East"),
        PIN(Instructions[8], "\" \",2492m,Motegi Cart"),
        PIN(Instructions[9], "\" \",2045m,Tukuba"),
        PIN(Instructions[10], "\" \",4400m,Fuji"),
        PIN(Instructions[11], "\" \",2804m,Central"),
        PIN(Instructions[12], "\" \",3703m,TI Aida"),
        PIN(Instructions[13], "\" \",2007m,Nakayama"),
        PIN(Instructions[14], "\" \",3330m,Central MINE"),
        PIN(Instructions[15], "\" \",1004m,Aso"),
        PIN(Instructions[16], "\" \",4674m,Auto Police"),
        PIN(Instructions[17], "\" \",2061m,Ebisu"),
        PIN(Instructions[18], "\" \",3704m,SUGO"),
        PIN(Instructions[19], "\" \",4063m,Sendai"),
        PIN(Instructions[20], "\" \",5091m,Tokachi Full"),
        PIN(Instructions[21], "\" \",3405m,Tokachi East"),
        PIN(Instructions[22], "\" \",1700m,Tokachi West"),
        PIN(ErrorCaption, "エラー"),
        PIN(NotAnInteger, "'%1' は整数ではありません"),
        PIN(TypeMismatch, "型が一致しません: %1 (%2)"),
        PIN(NotAnObject, "オブジェクトではありません: %1"),
        PIN(InvalidClassString, "クラス文字列が無効です: %1"),
        PIN(CannotCreateObject, "オブジェクトを作成できません: %1"),
        PIN(OperationUnavailable, "操作は利用できません: %1"),
        PIN(ArgCount, "引数の数が正しくありません"),
        PIN(ArgCountOf, "引数の数が正しくありません: %1"),
        PIN(UnknownName, "不明な名前です: %1.%2"),
        PIN(CannotSet, "値を設定できません: %1.%2"),
        PIN(NoValue, "値がありません: %1"),
        PIN(CannotRead, "値を読めません: %1.%2"),
        PIN(CannotCreateFile, "ファイル %1 を作成できません"),
        PIN(CannotOpenFile, "ファイル %1 は開けません"),
        PIN(StreamWriteError, "ストリームへの書き込みエラー"),
        PIN(StreamReadError, "ストリームの読み込みエラー"),
        PIN(FileExists, "ファイルが既に存在します: %1"),
        PIN(NoData, "グリッド内に、コピーするデータがありません。"),
        PIN(TooLong, "コピーする領域がシステムの許容範囲を越えたので、\r\nコピーを中断します。"),
        PIN(NoCsvFile, "CSVファイル名が指定されていないか、指定されたファイルが存在しません。"),
        PIN(FirstRow, "先頭行なので上に移動できません。"),
        PIN(LastRow, "最下位行なので下に移動できません。"),
        PIN(StartValue, "1以上の整数を入力してください。"),
        PIN(NoSpreadsheet,
            "MS-Excelを起動できませんでした。\r\nMS-Excelのインストールを確認してください。"),
        PIN(Automation, "ＯＬＥ実行中にエラーが発生しました。"),
        PIN(ColumnOutOfRange, "列番号が範囲外です: %1"),
        PIN(AngleRange, "%1の角度は 0 から 359 の間でなければなりません"),
        PIN(AxisTitleName, "軸タイトル"),
        PIN(AxisLabelsName, "軸ラベル"),
        PIN(IncrementRange, "軸の増加単位は 0 以上でなければなりません"),
        PIN(MinimumRange, "軸の最小値は最大値以下でなければなりません"),
        PIN(MaximumRange, "軸の最大値は最小値以上でなければなりません"),
        PIN(LabelsSeparationRange, "ラベルの間隔は 0 以上でなければなりません"),
        PIN(DateTimeLogarithmic, "日付時刻軸を対数軸にすることはできません"),
        PIN(LogarithmicRange, "対数軸の最大/最小値は 0 以上でなければなりません"),
        PIN(Chart3DPercentRange, "３次元効果の割合は %1 から %2 の間でなければなりません"),
        PIN(MaxPointsPerPageRange, "MaxPointsPerPage は 0 以上でなければなりません"),
        PIN(ServerClosed, "サーバーは終了しています"),
        PIN(BookClosed, "ブックは閉じられています"),
        PIN(ColorOutOfRange, "色の値が範囲外です: %1"),
        PIN(SheetNameLength, "シート名の長さが無効です: %1"),
        PIN(SheetNameChars, "シート名に使えない文字があります: %1"),
        PIN(SheetNameUsed, "シート名は既に使われています: %1"),
        PIN(SheetNameInvalid, "シート名が無効です: %1"),
        PIN(BorderWeight, "罫線の太さが無効です: %1"),
        PIN(FontSize, "フォントサイズが無効です: %1"),
        PIN(FontName, "フォント名が無効です: %1"),
        PIN(UnderlineKind, "下線の種類が無効です: %1"),
        PIN(PasteOutside, "貼り付け先がシートの範囲を越えています"),
        PIN(AutoFitColumns, "AutoFit は列全体にだけ使えます"),
        PIN(HeaderTooLong, "ヘッダーが長すぎます"),
        PIN(Orientation, "用紙の向きが無効です: %1"),
        PIN(CellOutOfRange, "セルの位置が範囲外です: %1, %2"),
        PIN(RangeInvalid, "範囲が無効です: %1"),
        PIN(IndexOutOfRange, "インデックスが有効範囲にありません: %1"),
        PIN(SavedNotOpened, "ブックを保存しましたが、開くことができませんでした。\r\n保存先: %1"),
        PIN(NoOpenBook, "開いているブックがありません"),
        PIN(WindowState, "ウィンドウの状態が無効です: %1"),
        PIN(RestoreQuestion.One, "The run started at %2 was interrupted at %3 after %1 lap "
                                 "(LAP2: %4, LAP3: %5). Restore it?"),
        PIN(RestoreQuestion.Many, "The run started at %2 was interrupted at %3 after %1 laps "
                                  "(LAP2: %4, LAP3: %5). Restore it?"),
        PIN(RestoreUnread.One, "Its journal is damaged after line %2: %1 action could not be read "
                               "and is left out."),
        PIN(RestoreUnread.Many, "Its journal is damaged after line %2: %1 actions could not be "
                                "read and are left out."),
        PIN(RestoreCarryLost, "What the previous run left (settings, distance list, grid shapes) "
                              "could not be read: the run comes back on the window as it opens."),
        PIN(RestoreButton, "Restore"),
        PIN(DiscardButton, "Discard"),
        PIN(JournalNotWritten, "Run journal not written, the run goes on: %1"),
        PIN(JournalUnreadable, "The run journal %1 could not be read: %2. %3"),
        PIN(JournalMoved, "It was moved to %1."),
        PIN(JournalNotMoved, "It could not be moved and stays there."),
        PIN(JournalEmpty, "the file is empty"),
        PIN(JournalForeign, "it is not a Vantel run journal"),
        PIN(JournalVersion, "its version %1 is unknown"),
        PIN(JournalNewer, "written by a newer Vantel, format %1"),
        PIN(JournalDamaged, "line %1 is damaged"),
        PIN(JournalNoAccess, "it may not be read or written"),
        PIN(JournalTooLarge, "it is too large"),
        PIN(NotAFolder, "%1: not a folder"),
        PIN(NoFreeJournalName, "%1: no free journal name"),
        PIN(DistanceRefused, "Distance must be a whole number of metres from 1 to 214748"),
        PIN(SavedLaps, "Saved %1: %2 laps, in %3"),
        PIN(StartedOverLaps, "New count started over %1 unsaved laps; Ctrl+Z brings them back."),
        PIN(LapMarkShort, "shorter than 40 % of the median lap"),
        PIN(LapMarkLong, "longer than 180 % of the median lap"),
        PIN(DeviceNoAccess,
            "Cannot read the lap input %1: %2. Add yourself to the group input (sudo usermod "
            "-aG input $USER, then log out and in again). If the device is not in that group, "
            "a udev rule puts it there: a line SUBSYSTEM==\"input\", ATTRS{idVendor}==\"%3\", "
            "MODE=\"0660\", GROUP=\"input\" in /etc/udev/rules.d/70-vantel.rules, then sudo "
            "udevadm trigger."),
        PIN(DeviceNotOpened, "Cannot open the lap input %1: %2"),
        PIN(DeviceHeld, "The lap input %1 is held by another program: its presses reach Vantel "
                        "only once that program lets go."),
        PIN(DeviceGone, "The lap input %1 is gone: its presses are no longer read. Plug it in "
                        "and start Vantel again."),
        PIN(LapInputNoDevice, "Lap inputs: entry %1 names no device; it is left out."),
        PIN(LapInputNoKey, "Lap inputs: %1 has no key; it is left out."),
        PIN(LapInputUnknownKey, "Lap inputs: %1 has the unknown key %2; it is left out."),
        PIN(LapInputBadButton,
            "Lap inputs: %1 presses %2, which is not lap, lap2 or lap3; it is left out."),
        PIN(LapInputBadDebounce, "Lap inputs: %1 has the debounce %2, not a whole number of ms "
                                 "from 0 to 1000; it keeps %3 ms."),
        PIN(LearnNoAccess, "Not listening to %1: no access. Add yourself to the group input "
                           "(sudo usermod -aG input $USER, then log out and in again)."),
        PIN(CommandUsage, "Usage: vantel [--lap | --lap2 | --lap3 | --start | --stop | "
                          "--restart]\nWithout an option Vantel opens its window; with one it "
                          "presses that button of the running Vantel and exits."),
        PIN(NotRunning, "Vantel is not running"),
        PIN(PressNotTaken, "Vantel did not take the press: %1"),
        PIN(BusNameTaken, "vantel: another Vantel owns %1 on the session bus; the desktop's "
                          "actions and vantel --lap go to that one"),
        PIN(BusNotReached, "vantel: no session bus (%1); the desktop's actions and vantel --lap "
                           "cannot reach this window"),
        PIN(UnknownAction, "Vantel has no action '%1'"),
        PIN(ActionParameter, "the action '%1' takes no parameter"),
        PIN(PressTickType, "%1 must be a uint32 (the tick counter), not %2"),
        PIN(PlatformDataSize, "platform data of more than %1 entries"),
        PIN(OpensNoFiles, "Vantel opens no files"),
        PIN(ShortcutName[0], "LAP"),
        PIN(ShortcutName[1], "LAP2"),
        PIN(ShortcutName[2], "LAP3"),
        PIN(DesktopShortcuts, "Desktop shortcuts: %1"),
        PIN(ShortcutTrigger, "%1: %2"),
        PIN(ShortcutUnset, "%1: not set"),
        PIN(ListSeparator, ", "),
        PIN(MenuLapInputs, "Lap inputs…"),
        PIN(LapInputsCaption, "Lap inputs"),
        PIN(GlobalKeyLabel, "%1 global key:"),
        PIN(GlobalKeyClear, "Clear"),
        PIN(LapInputsApply, "&Apply"),
        PIN(LapInputsClose, "&Close"),
        PIN(GlobalKeysTitle, "Global keys (pressed in any program)"),
        PIN(GlobalKeyTaken,
            "The key %1 for %2 is held by another program; it presses nothing in Vantel."),
        PIN(GlobalKeyUnknown, "'%1' in the setting %2 is not a key; it is ignored."),
        PIN(GlobalKeyTwice,
            "'%1' in the setting %2 is already another lap button's key; it is ignored."),
        PIN(GlobalKeyNoKeycode, "The key %1 for %2 is not on this keyboard."),
        PIN(GlobalKeyFailed, "The key %1 for %2 could not be taken (X error %3)."),
        PIN(En::NotAnInteger, "'%1' is not an integer"),
        PIN(En::TypeMismatch, "Type mismatch: %1 (%2)"),
        PIN(En::NotAnObject, "Not an object: %1"),
        PIN(En::InvalidClassString, "Invalid class string: %1"),
        PIN(En::CannotCreateObject, "Cannot create the object: %1"),
        PIN(En::OperationUnavailable, "Operation unavailable: %1"),
        PIN(En::ArgCount, "Wrong number of arguments"),
        PIN(En::ArgCountOf, "Wrong number of arguments: %1"),
        PIN(En::UnknownName, "Unknown name: %1.%2"),
        PIN(En::CannotSet, "Cannot set the value: %1.%2"),
        PIN(En::NoValue, "No value: %1"),
        PIN(En::CannotRead, "Cannot read the value: %1.%2"),
        PIN(En::CannotCreateFile, "Cannot create %1: %2"),
        PIN(En::CannotOpenFile, "Cannot open %1: %2"),
        PIN(En::StreamWriteError, "Cannot write %1: %2"),
        PIN(En::StreamReadError, "Cannot read %1: %2"),
        PIN(En::UnknownReason, "error %1"),
        PIN(En::FileExists, "The file already exists: %1"),
        PIN(En::NoData, "The grid holds no data to copy."),
        PIN(En::TooLong,
            "The area to copy is larger than the system allows, so the copy was stopped."),
        PIN(En::NoCsvFile, "No CSV file name was given, or the file given does not exist."),
        PIN(En::FirstRow, "The first row cannot move up."),
        PIN(En::LastRow, "The last row cannot move down."),
        PIN(En::StartValue, "Enter a whole number of 1 or more."),
        PIN(En::NoSpreadsheet,
            "The spreadsheet application could not be started. Check that it is installed."),
        PIN(En::Automation, "An error occurred during the spreadsheet export."),
        PIN(En::ColumnOutOfRange, "Column number out of range: %1"),
        PIN(En::AngleRange, "The %1 angle must be between 0 and 359"),
        PIN(En::AxisTitleName, "axis title"),
        PIN(En::AxisLabelsName, "axis labels"),
        PIN(En::IncrementRange, "The axis increment must be 0 or more"),
        PIN(En::MinimumRange, "The axis minimum must not be above the maximum"),
        PIN(En::MaximumRange, "The axis maximum must not be below the minimum"),
        PIN(En::LabelsSeparationRange, "The label separation must be 0 or more"),
        PIN(En::DateTimeLogarithmic, "A date and time axis cannot be logarithmic"),
        PIN(En::LogarithmicRange,
            "The maximum and minimum of a logarithmic axis must be 0 or more"),
        PIN(En::Chart3DPercentRange, "The 3D effect percentage must be between %1 and %2"),
        PIN(En::MaxPointsPerPageRange, "MaxPointsPerPage must be 0 or more"),
        PIN(En::ServerClosed, "The server has quit"),
        PIN(En::BookClosed, "The workbook is closed"),
        PIN(En::ColorOutOfRange, "Colour value out of range: %1"),
        PIN(En::SheetNameLength, "Invalid sheet name length: %1"),
        PIN(En::SheetNameChars, "The sheet name holds characters that are not allowed: %1"),
        PIN(En::SheetNameUsed, "The sheet name is already in use: %1"),
        PIN(En::SheetNameInvalid, "Invalid sheet name: %1"),
        PIN(En::BorderWeight, "Invalid border weight: %1"),
        PIN(En::FontSize, "Invalid font size: %1"),
        PIN(En::FontName, "Invalid font name: %1"),
        PIN(En::UnderlineKind, "Invalid underline kind: %1"),
        PIN(En::PasteOutside, "The paste reaches beyond the sheet"),
        PIN(En::AutoFitColumns, "AutoFit works on whole columns only"),
        PIN(En::HeaderTooLong, "The header is too long"),
        PIN(En::Orientation, "Invalid page orientation: %1"),
        PIN(En::CellOutOfRange, "Cell position out of range: %1, %2"),
        PIN(En::RangeInvalid, "Invalid range: %1"),
        PIN(En::IndexOutOfRange, "Index out of range: %1"),
        PIN(En::SavedNotOpened, "The workbook was saved but could not be opened.\rSaved as: %1"),
        PIN(En::NoOpenBook, "No workbook is open"),
        PIN(En::WindowState, "Invalid window state: %1"),
    };
#undef PIN
    return all;
}

} // namespace

TEST(Messages, EachTextIsExactlyAsShown) {
    for (const Pin& p : pins())
        EXPECT_EQ(p.text(), QString::fromUtf8(p.want)) << p.name;
}

// A Japanese text added without its English would leave a reader of English
// with a box they cannot read; an English one that drops an argument
// would lose the value the box is about.
TEST(Messages, EveryJapaneseTextHasItsEnglishWithTheSameArguments) {
    std::map<std::string, QString> english;
    for (const Pin& p : pins())
        if (std::string_view(p.name).starts_with("En::")) english[p.name + 4] = p.text();
    const QRegularExpression arg(QStringLiteral("%[1-9]"));
    std::set<std::string> japanese;
    for (const Pin& p : pins()) {
        const QString ja = p.text();
        // Japanese is told by its scripts, from U+3000 up: an English text may
        // hold punctuation beyond ASCII (the menu's "…").
        const bool latin =
            std::all_of(ja.begin(), ja.end(), [](QChar c) { return c.unicode() < 0x3000; });
        // The caption stays the box's own; the English goes below the text.
        if (latin || std::string_view(p.name) == "ErrorCaption") continue;
        japanese.insert(p.name);
        const auto en = english.find(p.name);
        ASSERT_NE(en, english.end()) << p.name << " has no English counterpart";
        EXPECT_TRUE(std::all_of(en->second.begin(), en->second.end(), [](QChar c) {
            return c.unicode() < 128;
        })) << p.name;
        for (auto m = arg.globalMatch(ja); m.hasNext();) {
            const QString a = m.next().captured();
            EXPECT_TRUE(en->second.contains(a)) << p.name << " lacks " << a.toStdString();
        }
    }
    // A misspelt name would leave its Japanese without English unnoticed; the
    // reason for an unknown errno is the one English text of its own.
    for (const auto& [name, text] : english)
        EXPECT_TRUE(japanese.count(name) || name == "UnknownReason") << "En::" << name;
}
