#pragma once
#include <QString>
#include <exception>
#include <string>

// Errors raised inside handlers. They never unwind through Qt's event loop:
// TApplication::notify catches them and shows the message (the default
// error report), and the program goes on.
//
// The message is the catalogue's Japanese text, kept exactly as it always
// was; the detail is the same in English (Msg::En), with the file's absolute
// path and the system's reason where a file is involved. The box shows the
// detail below the message, and what() carries both for a log.
class Exception : public std::exception {
public:
    explicit Exception(QString message, QString detail = {})
        : FMessage(std::move(message)), FDetail(std::move(detail)),
          FUtf8((FDetail.isEmpty() ? FMessage : FMessage + QLatin1String(" / ") + FDetail)
                    .toStdString()) {}
    const QString& Message() const { return FMessage; }
    // Empty when the error has no English text.
    const QString& Detail() const { return FDetail; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    QString FMessage;
    QString FDetail;
    std::string FUtf8;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};
class EWriteError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public Exception {
public:
    using Exception::Exception;
};
class ERangeError : public Exception {
public:
    using Exception::Exception;
};
