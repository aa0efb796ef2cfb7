#pragma once
#include "Automation.h"
#include "OleError.h"

#include <QStringList>
#include <memory>

// A stand-in for the spreadsheet application that answers every member the
// export uses with an object of the class a real one would return, holds the
// names of its open workbooks, and fails one chosen call ("Class.Member").
// Together with the layer's call record it shows exactly what a client sent.
class FakeSpreadsheet {
public:
    QStringList BookNames{QStringLiteral("Book1")};
    QStringList SheetNames{QStringLiteral("Sheet1")};
    bool Alerts = true;
    QString FailOn; // "Interior.Color": that call raises EOleError

    // Registers a class that creates an instance of this fake; with running,
    // an instance is also the running object.
    void Install(bool running) {
        Automation::RegisterClass(QStringLiteral("Excel.Application"),
                                  [this] { return make(QStringLiteral("Application")); });
        if (running)
            Automation::RegisterActiveObject(QStringLiteral("Excel.Application"),
                                             make(QStringLiteral("Application")));
    }
    ~FakeSpreadsheet() {
        Automation::UnregisterClass(QStringLiteral("Excel.Application"));
        Automation::RevokeActiveObject(QStringLiteral("Excel.Application"));
    }

private:
    class Object : public TDispatch {
    public:
        Object(FakeSpreadsheet& s, QString cls, QString name)
            : FS(s), FClass(std::move(cls)), FName(std::move(name)) {}
        QString ClassName() const override { return FClass; }
        TVariant Invoke(QStringView member, TCallKind kind, const TArgs& args) override {
            const QString m = member.toString();
            if (FS.FailOn.compare(FClass + u'.' + m, Qt::CaseInsensitive) == 0)
                throw EOleError(QStringLiteral("refused: ") + FS.FailOn);
            if (kind == TCallKind::Put) {
                if (m == u"DisplayAlerts") FS.Alerts = args.back().Value.ToBool();
                return {};
            }
            return answer(m.toCaseFolded(), args);
        }

    private:
        TVariant answer(const QString& m, const TArgs& args) {
            auto child = [&](const char* cls, QString name = {}) {
                return TVariant(FS.make(QLatin1String(cls), std::move(name)));
            };
            auto nth = [&](const QStringList& names) {
                return names.value(args[0].Value.ToInt() - 1);
            };
            if (m == u"name") return TVariant(FName);
            if (m == u"displayalerts") return TVariant(FS.Alerts);
            if (m == u"application") return child("Application");
            if (m == u"workbooks")
                return args.isEmpty() ? child("Workbooks") : child("Workbook", nth(FS.BookNames));
            if (m == u"worksheets")
                return args.isEmpty() ? child("Worksheets")
                                      : child("Worksheet", nth(FS.SheetNames));
            if (m == u"count")
                return TVariant(
                    int32_t(FClass == u"Workbooks" ? FS.BookNames.size() : FS.SheetNames.size()));
            if (m == u"add") return child("Workbook", QStringLiteral("BookNew"));
            if (m == u"activesheet") return child("Worksheet");
            if (m == u"cells" || m == u"range" || m == u"entirecolumn") return child("Range");
            if (m == u"pagesetup") return child("PageSetup");
            if (m == u"borders") return child("Borders");
            if (m == u"interior") return child("Interior");
            if (m == u"font") return child("Font");
            return {};
        }
        FakeSpreadsheet& FS;
        QString FClass, FName;
    };
    TDispatchPtr make(const QString& cls, QString name = {}) {
        return std::make_shared<Object>(*this, cls, std::move(name));
    }
};
