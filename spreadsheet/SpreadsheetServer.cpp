#include "SpreadsheetServer.h"

#include "AutoObject.h"
#include "Automation.h"
#include "MessageService.h"
#include "Messages.h"
#include "OleError.h"
#include "SheetModel.h"
#include "XlsxFile.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <memory>
#include <vector>

namespace Spreadsheet {

namespace {

using Sheet::TCellFormat;
using Sheet::TCellRect;
using Sheet::TSheet;

FileOpener& opener() {
    static FileOpener o;
    return o;
}

[[noreturn]] void refuse(const QString& what, const QString& english = {}) {
    throw EOleError(what, english);
}

// Window states the application knows.
constexpr int xlMaximized = -4137, xlMinimized = -4140, xlNormal = -4143;

struct Book {
    QString Name;
    std::vector<std::shared_ptr<TSheet>> Sheets;
    bool Open = true;
    bool Saved = false;
};

struct State {
    bool Running = true;
    bool Visible = false;
    bool DisplayAlerts = true;
    int WindowState = xlNormal;
    std::vector<std::shared_ptr<Book>> Books; // open workbooks, the active one last
};

// Base of every object of one application: calls fail once it has quit, and
// for objects inside a workbook once the workbook is closed.
class Object : public TAutoObject {
public:
    Object(std::shared_ptr<State> s, std::shared_ptr<Book> b)
        : FState(std::move(s)), FBook(std::move(b)) {}

protected:
    void CheckAlive() const override {
        if (!FState->Running) refuse(Msg::ServerClosed(), Msg::En::ServerClosed());
        if (FBook && !FBook->Open) refuse(Msg::BookClosed(), Msg::En::BookClosed());
    }
    std::shared_ptr<State> FState;
    std::shared_ptr<Book> FBook;
};

TVariant obj(TDispatchPtr p) {
    return TVariant(std::move(p));
}

uint32_t colourArg(const TVariant& v) {
    const int32_t c = v.ToInt();
    if (c < 0 || c > 0xFFFFFF)
        refuse(Msg::ColorOutOfRange().arg(c), Msg::En::ColorOutOfRange().arg(c));
    return Sheet::RgbFromColorNumber(uint32_t(c));
}

int32_t colourNumber(uint32_t rgb) {
    return int32_t(Sheet::RgbFromColorNumber(rgb));
} // the swap is its own inverse

void checkSheetName(const Book& book, const TSheet& self, const QString& name) {
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    if (name.isEmpty() || name.size() > 31)
        refuse(Msg::SheetNameLength().arg(name), Msg::En::SheetNameLength().arg(name));
    for (QChar c : name)
        if (forbidden.contains(c))
            refuse(Msg::SheetNameChars().arg(name), Msg::En::SheetNameChars().arg(name));
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        refuse(Msg::SheetNameChars().arg(name), Msg::En::SheetNameChars().arg(name));
    for (const auto& s : book.Sheets)
        if (s.get() != &self && s->Name.compare(name, Qt::CaseInsensitive) == 0)
            refuse(Msg::SheetNameUsed().arg(name), Msg::En::SheetNameUsed().arg(name));
}

// One attribute group of a range (Borders, Interior, Font): each write adds
// a formatting layer over the range; a read shows the top-left cell.
class RangePart : public Object {
public:
    RangePart(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh,
              TCellRect r, QString cls)
        : Object(std::move(s), std::move(b)), FSheet(std::move(sh)), FRect(r),
          FClass(std::move(cls)) {}
    QString ClassName() const override { return FClass; }

protected:
    template <class Read, class Write> void attribute(const QString& name, Read read, Write write) {
        AddProperty(
            name,
            [this, read](const TArgs&) { return read(FSheet->FormatAt(FRect.Top, FRect.Left)); },
            [this, write](const TArgs&, const TVariant& v) {
                TCellFormat f;
                write(f, v);
                FSheet->Format(FRect, f);
            });
    }
    // A colour: the value shows `unset` where no layer sets one.
    void colour(const QString& name, std::optional<uint32_t> TCellFormat::*field, uint32_t unset) {
        attribute(
            name,
            [field, unset](const TCellFormat& f) {
                return TVariant(colourNumber((f.*field).value_or(unset)));
            },
            [field](TCellFormat& f, const TVariant& v) { f.*field = colourArg(v); });
    }
    std::shared_ptr<TSheet> FSheet;
    TCellRect FRect;
    QString FClass;
};

class Borders : public RangePart {
public:
    Borders(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh,
            TCellRect r)
        : RangePart(std::move(s), std::move(b), std::move(sh), r, QStringLiteral("Borders")) {
        attribute(
            QStringLiteral("Weight"),
            [](const TCellFormat& f) { return TVariant(int32_t(f.BorderWeight.value_or(2))); },
            [](TCellFormat& f, const TVariant& v) {
                const int w = v.ToInt();
                if (w != 1 && w != 2 && w != -4138 && w != 4)
                    refuse(Msg::BorderWeight().arg(w), Msg::En::BorderWeight().arg(w));
                f.BorderWeight = w;
            });
        colour(QStringLiteral("Color"), &TCellFormat::BorderColor, 0);
    }
};

class Interior : public RangePart {
public:
    Interior(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh,
             TCellRect r)
        : RangePart(std::move(s), std::move(b), std::move(sh), r, QStringLiteral("Interior")) {
        colour(QStringLiteral("Color"), &TCellFormat::Fill, 0xFFFFFF);
    }
};

class Font : public RangePart {
public:
    Font(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh, TCellRect r)
        : RangePart(std::move(s), std::move(b), std::move(sh), r, QStringLiteral("Font")) {
        attribute(
            QStringLiteral("Size"),
            [](const TCellFormat& f) { return TVariant(Sheet::FontOf(f).Size); },
            [](TCellFormat& f, const TVariant& v) {
                const double size = v.ToDouble();
                if (!(size >= 1 && size <= 409))
                    refuse(Msg::FontSize().arg(size), Msg::En::FontSize().arg(size));
                f.FontSize = size;
            });
        attribute(
            QStringLiteral("Name"),
            [](const TCellFormat& f) { return TVariant(Sheet::FontOf(f).Name); },
            [](TCellFormat& f, const TVariant& v) {
                const QString name = v.ToString();
                if (name.trimmed().isEmpty() || name.size() > 31)
                    refuse(Msg::FontName().arg(name), Msg::En::FontName().arg(name));
                f.FontName = name;
            });
        colour(QStringLiteral("Color"), &TCellFormat::FontColor, 0);
        flag(QStringLiteral("Bold"), &TCellFormat::Bold);
        flag(QStringLiteral("Italic"), &TCellFormat::Italic);
        flag(QStringLiteral("Strikethrough"), &TCellFormat::Strikethrough);
        attribute(
            QStringLiteral("Underline"),
            [](const TCellFormat& f) { return TVariant(int32_t(f.Underline.value_or(-4142))); },
            [](TCellFormat& f, const TVariant& v) {
                const int u = v.ToInt();
                if (u != 2 && u != -4142 && u != -4119 && u != 4 && u != 5)
                    refuse(Msg::UnderlineKind().arg(u), Msg::En::UnderlineKind().arg(u));
                f.Underline = u;
            });
    }

private:
    void flag(const QString& name, std::optional<bool> TCellFormat::*field) {
        attribute(
            name, [field](const TCellFormat& f) { return TVariant((f.*field).value_or(false)); },
            [field](TCellFormat& f, const TVariant& v) { f.*field = v.ToBool(); });
    }
};

class Range : public Object {
public:
    Range(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh,
          TCellRect r)
        : Object(std::move(s), std::move(b)), FSheet(std::move(sh)), FRect(r) {
        auto part = [this](auto* tag) {
            using T = std::remove_pointer_t<decltype(tag)>;
            return [this](const TArgs& a) {
                ExpectArgs(a, 0, 0, u"Range");
                return obj(std::make_shared<T>(FState, FBook, FSheet, FRect));
            };
        };
        AddProperty(QStringLiteral("Borders"), part(static_cast<Borders*>(nullptr)));
        AddProperty(QStringLiteral("Interior"), part(static_cast<Interior*>(nullptr)));
        AddProperty(QStringLiteral("Font"), part(static_cast<Font*>(nullptr)));
        AddProperty(QStringLiteral("EntireColumn"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"EntireColumn");
            return obj(std::make_shared<Range>(
                FState, FBook, FSheet, TCellRect{0, FRect.Left, Sheet::MaxRows - 1, FRect.Right}));
        });
        AddMethod(QStringLiteral("PasteSpecial"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"PasteSpecial");
            const QString text = QGuiApplication::clipboard()->text();
            if (!FSheet->PasteText(FRect.Top, FRect.Left, text))
                refuse(Msg::PasteOutside(), Msg::En::PasteOutside());
            return TVariant(true);
        });
        AddMethod(QStringLiteral("AutoFit"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"AutoFit");
            // As in a spreadsheet program, only whole columns are fitted.
            if (!FRect.AllRows()) refuse(Msg::AutoFitColumns(), Msg::En::AutoFitColumns());
            FSheet->AutoFitColumns(FRect.Left, FRect.Right);
            return TVariant(true);
        });
        AddMethod(QStringLiteral("Select"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"Select");
            FSheet->Selection = FRect;
            return TVariant(true);
        });
    }
    QString ClassName() const override { return QStringLiteral("Range"); }

private:
    std::shared_ptr<TSheet> FSheet;
    TCellRect FRect;
};

class PageSetup : public Object {
public:
    PageSetup(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh)
        : Object(std::move(s), std::move(b)), FSheet(std::move(sh)) {
        AddProperty(
            QStringLiteral("CenterHeader"),
            [this](const TArgs&) { return TVariant(FSheet->CenterHeader); },
            [this](const TArgs&, const TVariant& v) {
                const QString h = v.ToString();
                if (h.size() > 253) refuse(Msg::HeaderTooLong(), Msg::En::HeaderTooLong());
                FSheet->CenterHeader = h;
            });
        AddProperty(
            QStringLiteral("Orientation"),
            [this](const TArgs&) { return TVariant(int32_t(FSheet->Orientation)); },
            [this](const TArgs&, const TVariant& v) {
                const int o = v.ToInt();
                if (o != 1 && o != 2)
                    refuse(Msg::Orientation().arg(o), Msg::En::Orientation().arg(o));
                FSheet->Orientation = o;
            });
    }
    QString ClassName() const override { return QStringLiteral("PageSetup"); }

private:
    std::shared_ptr<TSheet> FSheet;
};

class Worksheet : public Object {
public:
    Worksheet(std::shared_ptr<State> s, std::shared_ptr<Book> b, std::shared_ptr<TSheet> sh)
        : Object(std::move(s), std::move(b)), FSheet(std::move(sh)) {
        AddProperty(
            QStringLiteral("Name"), [this](const TArgs&) { return TVariant(FSheet->Name); },
            [this](const TArgs&, const TVariant& v) {
                const QString name = v.ToString();
                checkSheetName(*FBook, *FSheet, name);
                FSheet->Name = name;
            });
        AddProperty(QStringLiteral("Cells"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 2, u"Cells");
            if (a.size() == 1)
                refuse(Msg::ArgCountOf().arg(QStringLiteral("Cells")),
                       Msg::En::ArgCountOf().arg(QStringLiteral("Cells")));
            if (a.isEmpty()) return range(Sheet::WholeSheet);
            const int r = Arg(a, 0).ToInt(), c = Arg(a, 1).ToInt();
            if (r < 1 || r > Sheet::MaxRows || c < 1 || c > Sheet::MaxCols)
                refuse(Msg::CellOutOfRange().arg(r).arg(c),
                       Msg::En::CellOutOfRange().arg(r).arg(c));
            return range(TCellRect{r - 1, c - 1, r - 1, c - 1});
        });
        AddProperty(QStringLiteral("Range"), [this](const TArgs& a) {
            ExpectArgs(a, 1, 1, u"Range");
            const QString address = Arg(a, 0).ToString();
            const auto rect = Sheet::ParseAddress(address);
            if (!rect)
                refuse(Msg::RangeInvalid().arg(address), Msg::En::RangeInvalid().arg(address));
            return range(*rect);
        });
        AddProperty(QStringLiteral("PageSetup"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"PageSetup");
            return obj(std::make_shared<PageSetup>(FState, FBook, FSheet));
        });
    }
    QString ClassName() const override { return QStringLiteral("Worksheet"); }

private:
    TVariant range(const TCellRect& r) {
        return obj(std::make_shared<Range>(FState, FBook, FSheet, r));
    }
    std::shared_ptr<TSheet> FSheet;
};

// Item i (from 1) of a collection, for "Worksheets(i)" and "Workbooks(i)".
template <class V> const typename V::value_type& item(const V& items, const TVariant& index) {
    const int i = index.ToInt();
    if (i < 1 || size_t(i) > items.size())
        refuse(Msg::IndexOutOfRange().arg(i), Msg::En::IndexOutOfRange().arg(i));
    return items[size_t(i - 1)];
}

class Worksheets : public Object {
public:
    Worksheets(std::shared_ptr<State> s, std::shared_ptr<Book> b)
        : Object(std::move(s), std::move(b)) {
        AddProperty(QStringLiteral("Count"),
                    [this](const TArgs&) { return TVariant(int32_t(FBook->Sheets.size())); });
        AddProperty(QStringLiteral("Item"), [this](const TArgs& a) { return sheet(Arg(a, 0)); });
    }
    QString ClassName() const override { return QStringLiteral("Worksheets"); }
    TVariant sheet(const TVariant& index) {
        return obj(std::make_shared<Worksheet>(FState, FBook, item(FBook->Sheets, index)));
    }
};

void closeBook(State& st, const std::shared_ptr<Book>& b) {
    b->Open = false;
    std::erase(st.Books, b);
}

class Workbook : public Object {
public:
    Workbook(std::shared_ptr<State> s, std::shared_ptr<Book> b)
        : Object(std::move(s), std::move(b)) {
        AddProperty(QStringLiteral("Name"), [this](const TArgs&) { return TVariant(FBook->Name); });
        AddProperty(QStringLiteral("Worksheets"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 1, u"Worksheets");
            auto sheets = std::make_shared<Worksheets>(FState, FBook);
            return a.isEmpty() ? obj(sheets) : sheets->sheet(a[0].Value);
        });
        AddProperty(QStringLiteral("ActiveSheet"), [this](const TArgs&) {
            return obj(std::make_shared<Worksheet>(FState, FBook, FBook->Sheets.front()));
        });
        AddMethod(QStringLiteral("Close"), [this](const TArgs&) {
            closeBook(*FState, FBook);
            return TVariant();
        });
    }
    QString ClassName() const override { return QStringLiteral("Workbook"); }
};

// The lowest BookN that no open workbook and no file BookN.xlsx in the
// current directory has.
QString freeBookName(const State& st) {
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Book%1").arg(n);
        bool taken = QFileInfo::exists(QDir::current().filePath(name + QStringLiteral(".xlsx")));
        for (const auto& b : st.Books)
            taken = taken || b->Name.compare(name, Qt::CaseInsensitive) == 0;
        if (!taken) return name;
    }
}

class Workbooks : public Object {
public:
    explicit Workbooks(std::shared_ptr<State> s) : Object(std::move(s), nullptr) {
        AddProperty(QStringLiteral("Count"),
                    [this](const TArgs&) { return TVariant(int32_t(FState->Books.size())); });
        AddProperty(QStringLiteral("Item"), [this](const TArgs& a) { return book(Arg(a, 0)); });
        AddMethod(QStringLiteral("Add"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 0, u"Add");
            auto b = std::make_shared<Book>();
            b->Name = freeBookName(*FState);
            auto sheet = std::make_shared<TSheet>();
            sheet->Name = QStringLiteral("Sheet1");
            b->Sheets.push_back(std::move(sheet));
            FState->Books.push_back(b);
            return obj(std::make_shared<Workbook>(FState, b));
        });
    }
    QString ClassName() const override { return QStringLiteral("Workbooks"); }
    TVariant book(const TVariant& index) {
        return obj(std::make_shared<Workbook>(FState, item(FState->Books, index)));
    }
};

void openForUser(const QString& path) {
    const bool opened =
        opener() ? opener()(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened)
        ShowInfoMessage(QFileInfo(path).fileName(), Msg::SavedNotOpened().arg(path),
                        Msg::En::SavedNotOpened().arg(path));
}

class Application : public Object, public std::enable_shared_from_this<Application> {
public:
    Application() : Object(std::make_shared<State>(), nullptr) {
        AddProperty(QStringLiteral("Application"),
                    [this](const TArgs&) { return obj(shared_from_this()); });
        AddProperty(QStringLiteral("Workbooks"), [this](const TArgs& a) {
            ExpectArgs(a, 0, 1, u"Workbooks");
            auto books = std::make_shared<Workbooks>(FState);
            return a.isEmpty() ? obj(books) : books->book(a[0].Value);
        });
        AddProperty(QStringLiteral("ActiveWorkbook"), [this](const TArgs&) {
            return FState->Books.empty()
                       ? TVariant()
                       : obj(std::make_shared<Workbook>(FState, FState->Books.back()));
        });
        AddProperty(QStringLiteral("ActiveSheet"), [this](const TArgs&) {
            if (FState->Books.empty()) refuse(Msg::NoOpenBook(), Msg::En::NoOpenBook());
            const auto& b = FState->Books.back();
            return obj(std::make_shared<Worksheet>(FState, b, b->Sheets.front()));
        });
        AddProperty(
            QStringLiteral("Visible"), [this](const TArgs&) { return TVariant(FState->Visible); },
            [this](const TArgs&, const TVariant& v) { setVisible(v.ToBool()); });
        AddProperty(
            QStringLiteral("DisplayAlerts"),
            [this](const TArgs&) { return TVariant(FState->DisplayAlerts); },
            [this](const TArgs&, const TVariant& v) { FState->DisplayAlerts = v.ToBool(); });
        AddProperty(
            QStringLiteral("WindowState"),
            [this](const TArgs&) { return TVariant(int32_t(FState->WindowState)); },
            [this](const TArgs&, const TVariant& v) {
                const int w = v.ToInt();
                if (w != xlMaximized && w != xlMinimized && w != xlNormal)
                    refuse(Msg::WindowState().arg(w), Msg::En::WindowState().arg(w));
                FState->WindowState = w;
            });
        AddMethod(QStringLiteral("Quit"), [this](const TArgs&) {
            for (const auto& b : FState->Books)
                b->Open = false;
            FState->Books.clear();
            FState->Running = false;
            Automation::RevokeActiveObject(ProgId, this);
            return TVariant();
        });
    }
    QString ClassName() const override { return QStringLiteral("Application"); }

private:
    // Showing the application shows its workbooks: each one not yet saved is
    // written to the current directory and opened for the user.
    void setVisible(bool visible) {
        FState->Visible = visible;
        if (!visible) return;
        for (const auto& b : FState->Books) {
            if (b->Saved) continue;
            const QString path =
                QDir::current().absoluteFilePath(b->Name + QStringLiteral(".xlsx"));
            std::vector<const TSheet*> sheets;
            for (const auto& s : b->Sheets)
                sheets.push_back(s.get());
            const QString failure = Sheet::WriteXlsxFile(path, sheets);
            if (!failure.isEmpty()) refuse(failure);
            b->Saved = true;
            openForUser(path);
        }
    }
};

} // namespace

void Register() {
    Automation::RegisterClass(ProgId, [] {
        auto app = std::make_shared<Application>();
        Automation::RegisterActiveObject(ProgId, app);
        return TDispatchPtr(app);
    });
}

void Unregister() {
    Automation::UnregisterClass(ProgId);
    Automation::RevokeActiveObject(ProgId);
}

void SetFileOpener(FileOpener o) {
    opener() = std::move(o);
}

} // namespace Spreadsheet
