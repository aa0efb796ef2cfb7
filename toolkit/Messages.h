#pragma once
#include <QString>

// Every text the program shows, in one place: message boxes, error messages,
// the window's fixed texts (caption, version banner, About and Help, the mix
// grid's header and instruction rows, the lap buttons' captions, the menu
// items). Code and tests refer to these names, never to a copy of the text.
//
// Each entry is marked with QT_TRANSLATE_NOOP, so Qt's lupdate collects them.
// No translation is shipped: the texts on screen are the source texts, the
// same in every locale. Changing a character here changes what users see
// and what stored files and the replay scenarios hold; MessagesTest pins
// every one of them.
namespace Msg {

// One text: the translation context and the source text.
struct TText {
    const char* Context;
    const char* Source;
    // The text as shown; a loaded translator, which the program never
    // installs, would replace it.
    QString operator()() const;
};

// A text with a count, in its singular and plural forms: English has two,
// and without a translator Qt's %n would show "1 laps".
struct TCounted {
    TText One;
    TText Many;
    // The form for `n`, with %1 (and the first free marker) replaced by n.
    QString operator()(int n) const;
};

// --- the main window ----------------------------------------------------
extern const TText AppName; // window caption, application title, error caption
extern const TText Version; // in the caption's banner
extern const TText Credit;  // after the version in the caption's banner
extern const TText AboutCaption;
extern const TText About;
extern const TText HelpCaption;
extern const TText Help;
extern const TText MenuAbout;
extern const TText MenuHelp;
extern const TText MenuKey;
// The lap buttons' captions with and without their accelerators (menu Key).
extern const TText LapKeyed[3];
extern const TText LapPlain[3];
// The mix grid's header row and its instruction rows 1 to 23, as row texts.
extern const TText MixHeader;
constexpr int InstructionCount = 23;
extern const TText Instructions[InstructionCount];

// --- toolkit --------------------------------------------------------------
extern const TText ErrorCaption; // caption of the grids' error message box
extern const TText NotAnInteger; // %1: the text
extern const TText TypeMismatch; // %1: the value, %2: the wanted type
extern const TText NotAnObject;  // %1: the value
extern const TText InvalidClassString;
extern const TText CannotCreateObject;
extern const TText OperationUnavailable;
extern const TText ArgCount;
extern const TText ArgCountOf;  // %1: the member
extern const TText UnknownName; // %1.%2: class and member
extern const TText CannotSet;   // %1.%2
extern const TText NoValue;     // %1: the member
extern const TText CannotRead;  // %1.%2

// --- files -----------------------------------------------------------------
extern const TText CannotCreateFile; // %1: the file
extern const TText CannotOpenFile;   // %1: the file
extern const TText StreamWriteError;
extern const TText StreamReadError;
extern const TText FileExists; // %1: the path

// --- the mix grid -------------------------------------------------------------
extern const TText NoData;
extern const TText TooLong;
extern const TText NoCsvFile;
extern const TText FirstRow;
extern const TText LastRow;
extern const TText StartValue;
extern const TText NoSpreadsheet;
extern const TText Automation;
extern const TText ColumnOutOfRange; // %1: the column

// --- the chart -------------------------------------------------------------
extern const TText AngleRange; // %1: AxisTitleName or AxisLabelsName
extern const TText AxisTitleName;
extern const TText AxisLabelsName;
extern const TText IncrementRange;
extern const TText MinimumRange;
extern const TText MaximumRange;
extern const TText LabelsSeparationRange;
extern const TText DateTimeLogarithmic;
extern const TText LogarithmicRange;
extern const TText Chart3DPercentRange; // %1, %2: the bounds
extern const TText MaxPointsPerPageRange;

// --- the built-in spreadsheet ------------------------------------------------
extern const TText ServerClosed;
extern const TText BookClosed;
extern const TText ColorOutOfRange;  // %1
extern const TText SheetNameLength;  // %1
extern const TText SheetNameChars;   // %1
extern const TText SheetNameUsed;    // %1
extern const TText SheetNameInvalid; // %1
extern const TText BorderWeight;     // %1
extern const TText FontSize;         // %1
extern const TText FontName;         // %1
extern const TText UnderlineKind;    // %1
extern const TText PasteOutside;
extern const TText AutoFitColumns;
extern const TText HeaderTooLong;
extern const TText Orientation;     // %1
extern const TText CellOutOfRange;  // %1, %2: row and column
extern const TText RangeInvalid;    // %1
extern const TText IndexOutOfRange; // %1
extern const TText SavedNotOpened;  // %1: the path
extern const TText NoOpenBook;
extern const TText WindowState; // %1

// --- the run journal -----------------------------------------------------------
// %1: the LAP count; then %2, %3: start and last action (hh:mm:ss); %4, %5:
// LAP2, LAP3 counts.
extern const TCounted RestoreQuestion;
// Added to the question of a journal damaged after its last good line.
extern const TCounted RestoreUnread; // %1: the actions left out
extern const TText RestoreCarryLost; // the line of what the previous run left
extern const TText RestoreButton;
extern const TText DiscardButton;
extern const TText JournalNotWritten; // %1: why, over the chart
extern const TText JournalUnreadable; // %1: the file, %2: why, %3: where it went
extern const TText JournalMoved;      // %1: the new path
extern const TText JournalNotMoved;
// Why a journal could not be read or written.
extern const TText JournalEmpty;
extern const TText JournalForeign;
extern const TText JournalVersion; // %1: the version found
extern const TText JournalNewer;   // %1: the format, newer than this program's
extern const TText JournalDamaged; // %1: the line
extern const TText JournalNoAccess;
extern const TText JournalTooLarge;
extern const TText NotAFolder;        // %1: the folder
extern const TText NoFreeJournalName; // %1: the folder

// Corrections of a run: the note that says what was done, and why not.
extern const TText CorrectionDeleted;  // %1: the press ("LAP lap 7 (00:00:00:312)")
extern const TText CorrectionInserted; // %1: the press
extern const TText CorrectionUndone;   // %1: what the correction did
extern const TText CorrectionRedone;   // %1: what the correction does
extern const TText CorrectionPress;    // %1: the button, %2: its lap, %3: the lap time
extern const TText NothingToUndo;
extern const TText NothingToRedo;
extern const TText NoPressInRow;
extern const TText OutsideTheLap; // %1, %2: the lap's first and last total
extern const TText TooShortToSplit;
extern const TText CorrectionDeleteOf; // %1: the press
extern const TText CorrectionInsertOf; // %1: the press
extern const TText InsertTotalHint;
extern const TText MenuDeletePress; // the menu of a grid row
extern const TText MenuSplitLap;
extern const TText MenuInsertAt;
extern const TText MenuUndo;
extern const TText MenuRedo;
// A typed distance the list does not take (over the chart).
extern const TText DistanceRefused;
extern const TText KeysHelpCaption;
extern const TText KeysHelp; // the keys window (F1)

// --- what a save and a start over laps tell the operator -----------------------
extern const TText SavedLaps;       // %1: the file, %2: the laps, %3: the folder
extern const TText SavedOneLap;     // %1: the file, %2: the folder
extern const TText StartedOverLaps; // %1: the laps
extern const TText StartedOverOneLap;
extern const TText StartTakenBack;
extern const TText StartOfCount;   // what a redo of a start taken back makes again
extern const TText NoFreeSaveName; // why a save found no name of its own

// --- marked laps -----------------------------------------------------------------
// Why a lap row is marked, as assistive tools describe the row's cells.
extern const TText LapMarkShort;
extern const TText LapMarkLong;

// --- lap inputs: foot pedals, USB buttons, gamepads (notes over the chart) ---------
extern const TText DeviceNoAccess;      // %1: the device, %2: why, %3: its USB vendor id
extern const TText DeviceNotOpened;     // %1: the device, %2: why
extern const TText DeviceHeld;          // %1: the device
extern const TText DeviceGone;          // %1: the device
extern const TText LapInputNoDevice;    // %1: the entry's number
extern const TText LapInputNoKey;       // %1: the device
extern const TText LapInputUnknownKey;  // %1: the device, %2: the key name
extern const TText LapInputBadButton;   // %1: the device, %2: the button
extern const TText LapInputBadDebounce; // %1: the device, %2: the value, %3: the default
extern const TText LearnNoAccess;       // %1: the devices that cannot be opened
// --- the desktop's actions and the command line ----------------------------------
extern const TText CommandUsage;     // the command line's usage, on stderr
extern const TText NotRunning;       // a press sent with no program to take it
extern const TText PressNotTaken;    // %1: what the bus said
extern const TText BusNameTaken;     // %1: the bus name another copy owns
extern const TText BusNotReached;    // %1: what the bus said
extern const TText UnknownAction;    // %1: the action asked for, as a bus error
extern const TText ActionParameter;  // %1: the action given a parameter
extern const TText PressTickType;    // %1: the key, %2: the type that came
extern const TText PlatformDataSize; // %1: the most entries taken
extern const TText OpensNoFiles;
// --- the desktop's global shortcuts ------------------------------------------------
// What the desktop bound to the lap buttons, told in a note: the desktop, not
// Vantel, picks the final keys.
extern const TText ShortcutName[3];  // the shortcuts' descriptions: lap, lap2, lap3
extern const TText DesktopShortcuts; // %1: the shortcuts, ListSeparator between them
extern const TText ShortcutTrigger;  // %1: ShortcutName, %2: the desktop's trigger text
extern const TText ShortcutUnset;    // %1: ShortcutName
extern const TText ListSeparator;
// --- the lap inputs from outside the window -----------------------------------------
extern const TText MenuLapInputs;    // the window's pop-up menu item
extern const TText MenuLiveBoard;    // the same, for the live board
extern const TText BoardNotOpen;     // %1 the port, %2 why
extern const TText LapInputsCaption; // the dialog's caption
extern const TText GlobalKeyLabel;   // %1: the lap button's caption
extern const TText GlobalKeyClear;
extern const TText LapInputsApply;
extern const TText LapInputsClose;
extern const TText DevicesTitle;         // the dialog's section of devices
extern const TText DevicePressNow;       // %1: the lap button
extern const TText DevicePressNowStatus; // %1: the lap button
extern const TText DeviceNoneToListen;
extern const TText DeviceCaught; // %1: the device's line
extern const TText DeviceLine;   // %1: button, %2: device, %3: key, %4: debounce
extern const TText DeviceDebounce;
extern const TText DeviceRemove;
extern const TText DeviceSave;
extern const TText GlobalKeysTitle;    // the dialog's section of global keys
extern const TText GlobalKeyTaken;     // %1: the key, %2: the lap button
extern const TText GlobalKeyUnknown;   // %1: the setting's text, %2: the setting's name
extern const TText GlobalKeyTwice;     // %1: the setting's text, %2: the setting's name
extern const TText GlobalKeyNoKeycode; // %1: the key, %2: the lap button
extern const TText GlobalKeyFailed;    // %1: the key, %2: the lap button, %3: the X error code

// --- the same errors in English ------------------------------------------------
// Each Japanese error text above has its counterpart here, of the same name:
// the error box shows it below the Japanese as its informative text, and the
// program's log line carries it, so that a reader of English knows what went
// wrong. Where a file is involved the English also names the file by its
// absolute path and gives the system's reason, which the Japanese never did.
namespace En {
extern const TText NotAnInteger; // %1: the text
extern const TText TypeMismatch; // %1: the value, %2: the wanted type
extern const TText NotAnObject;
extern const TText InvalidClassString;
extern const TText CannotCreateObject;
extern const TText OperationUnavailable;
extern const TText ArgCount;
extern const TText ArgCountOf;
extern const TText UnknownName;
extern const TText CannotSet;
extern const TText NoValue;
extern const TText CannotRead;
extern const TText CannotCreateFile; // %1: the absolute path, %2: why (the system's reason)
extern const TText CannotOpenFile;   // %1: the absolute path, %2: why
extern const TText StreamWriteError; // %1: the absolute path, %2: why
extern const TText StreamReadError;  // %1: the absolute path, %2: why
extern const TText UnknownReason;    // %1: an errno value the system has no text for
extern const TText FileExists;
extern const TText NoData;
extern const TText TooLong;
extern const TText NoCsvFile;
extern const TText FirstRow;
extern const TText LastRow;
extern const TText StartValue;
extern const TText NoSpreadsheet;
extern const TText Automation;
extern const TText ColumnOutOfRange;
extern const TText AngleRange; // %1: AxisTitleName or AxisLabelsName
extern const TText AxisTitleName;
extern const TText AxisLabelsName;
extern const TText IncrementRange;
extern const TText MinimumRange;
extern const TText MaximumRange;
extern const TText LabelsSeparationRange;
extern const TText DateTimeLogarithmic;
extern const TText LogarithmicRange;
extern const TText Chart3DPercentRange;
extern const TText MaxPointsPerPageRange;
extern const TText ServerClosed;
extern const TText BookClosed;
extern const TText ColorOutOfRange;
extern const TText SheetNameLength;
extern const TText SheetNameChars;
extern const TText SheetNameUsed;
extern const TText SheetNameInvalid;
extern const TText BorderWeight;
extern const TText FontSize;
extern const TText FontName;
extern const TText UnderlineKind;
extern const TText PasteOutside;
extern const TText AutoFitColumns;
extern const TText HeaderTooLong;
extern const TText Orientation;
extern const TText CellOutOfRange;
extern const TText RangeInvalid;
extern const TText IndexOutOfRange;
extern const TText SavedNotOpened;
extern const TText NoOpenBook;
extern const TText WindowState;
} // namespace En

} // namespace Msg
