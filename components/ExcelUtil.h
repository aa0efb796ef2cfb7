#pragma once
#include "Font.h"
#include "StringGrid.h"
#include "TColor.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

class TVariant;

// Border of the exported range.
enum TCellBorderWeight { bwNone, bwHairline, bwThin, bwMedium, bwThick };
// Page orientation of the exported sheet.
enum TPageOrientation { xlPortrait, xlLandscape };

using TFileName = QString;

// Column letters of spreadsheet column c (from 1): "A" .. "Z", "AA" .. "XFD".
// Raises ERangeError beyond column 16384 (XFD) or below 1.
QString ColumnLetters(int c);
// Address of the block from (row, col) to (row + rowSpan, col + colSpan),
// such as "A1:J30". Raises ERangeError when a column is out of range.
QString RangeAddress(int row, int col, int rowSpan, int colSpan);

// A string list that can split comma-separated text into one item per field.
class TStringListEx : public QStringList {
public:
    using QStringList::QStringList;
    // Replaces the items with the fields of text (see CsvText::SplitFields).
    void SplitCSVText(QStringView text);
};

// The string grid with output and exchange operations: its data rows go to a
// CSV file and come back from one, its contents go to the clipboard as
// tab-separated text, and the current row moves up or down. Every operation
// returns a status and, when ShowErrDlg is true, explains a refusal in an
// error box.
class TXlsStringGrid : public TStringGrid {
    Q_OBJECT
public:
    explicit TXlsStringGrid(QWidget* parent = nullptr);
    ~TXlsStringGrid() override;

    // Writes the data rows to CSVFileName: 0 written; -1 no file name.
    // Raises EFCreateError when the file cannot be created and EWriteError when
    // writing it fails; the old file then stays as it was.
    int SetCommaText();
    // Reads CSVFileName into the cells: 0 read; -1 no file name, no such
    // file, not a regular file, or larger than CsvText::MaxReadFileSize.
    // Raises EFOpenError when the file cannot be opened.
    int GetCommaText();
    // Puts the contents on the clipboard: 1 copied; 2 no data rows; -3 too long.
    int CopyClipboard();
    // Swaps the current row with the one above (below) and follows it:
    // 0 moved; -1 already on the first data row (the last row).
    int MoveUp();
    int MoveDown();
    // Exports the contents to the spreadsheet application through the
    // automation layer: 1 exported; 2 no data rows; -1 the application could
    // be neither attached nor started; -2 an automation call failed (what the
    // export started is undone); -3 the clipboard text would be too long.
    int CopyExcel();

    bool ColumnName() const { return FColumnName; }
    void SetColumnName(bool v) { FColumnName = v; }
    uint16_t StartRow() const { return FStartRow; }
    void SetStartRow(uint16_t v); // 0 is refused with a message
    uint16_t StartCol() const { return FStartCol; }
    void SetStartCol(uint16_t v); // 0 is refused with a message
    bool ShowErrDlg() const { return FShowErrDlg; }
    void SetShowErrDlg(bool v) { FShowErrDlg = v; }
    bool AutoFit() const { return FAutoFit; }
    void SetAutoFit(bool v) { FAutoFit = v; }
    QString SheetName() const { return FSheetName; }
    void SetSheetName(const QString& v) { FSheetName = v; }
    TFont& CellFont() { return FCellFont; }
    const TFont& CellFont() const { return FCellFont; }
    // Copies the font's attributes into the grid's own font (nothing for null).
    void SetCellFont(const TFont* font);
    void SetCellFont(const TFont& font) { SetCellFont(&font); }
    TCellBorderWeight CellBorderWeight() const { return FCellBorderWeight; }
    void SetCellBorderWeight(TCellBorderWeight v) { FCellBorderWeight = v; }
    TColor CellBorderColor() const { return FCellBorderColor; }
    void SetCellBorderColor(TColor v) { FCellBorderColor = v; }
    TColor CellColor() const { return FCellColor; }
    void SetCellColor(TColor v) { FCellColor = v; }
    TColor CellTitleColor() const { return FCellTitleColor; }
    void SetCellTitleColor(TColor v) { FCellTitleColor = v; }
    uint16_t StartData() const { return FStartData; }
    void SetStartData(uint16_t v) { FStartData = v; }
    TPageOrientation PageOrientation() const { return FPageOrientation; }
    void SetPageOrientation(TPageOrientation v) { FPageOrientation = v; }
    TFileName CSVFileName() const { return FCSVFileName; }
    void SetCSVFileName(const TFileName& v) { FCSVFileName = v; }
    bool ExtendRows() const { return FExtendRows; }
    void SetExtendRows(bool v) { FExtendRows = v; }

protected:
    // Largest clipboard text in characters (a derived grid may lower it).
    virtual int64_t ClipboardLimit() const;

private:
    // The error box (with `english` below the text) when ShowErrDlg is on, or
    // `always`.
    void refuse(const QString& text, const QString& english, bool always = false) const;
    // The CSV file's bytes: every data row, in the file's character set.
    QByteArray csvBytes() const;
    // Deals the fields of a CSV text into the cells, counting them in `count`.
    void dealFields(QStringView text, int64_t& count);
    // Exchanges two rows through the row past the last one, left empty.
    void swapRows(int a, int b);
    // Pastes the clipboard into the active sheet at (row, col) and formats
    // the pasted block from the export properties.
    void FormatSheet(const TVariant& app, const TVariant& book, int row, int col, int rowSpan,
                     int colSpan);

    bool FColumnName = true;
    uint16_t FStartRow = 1;
    uint16_t FStartCol = 1;
    bool FShowErrDlg = true;
    bool FAutoFit = true;
    QString FSheetName;
    TFont FCellFont;
    TCellBorderWeight FCellBorderWeight = bwNone;
    TColor FCellBorderColor = 0;
    TColor FCellColor = clNone;
    TColor FCellTitleColor = clNone;
    uint16_t FStartData = 0;
    TPageOrientation FPageOrientation = xlPortrait;
    TFileName FCSVFileName;
    bool FExtendRows = true;
};
