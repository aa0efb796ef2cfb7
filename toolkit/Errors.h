#pragma once
#include <QString>
#include <exception>
#include <string>

// Errors raised inside handlers. They never unwind through Qt's event loop:
// TApplication::notify catches them and shows the message (the default
// error report), and the program goes on.
class Exception : public std::exception {
public:
    explicit Exception(QString message)
        : FMessage(std::move(message)), FUtf8(FMessage.toStdString()) {}
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    QString FMessage;
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
