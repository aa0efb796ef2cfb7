#pragma once
#include "Errors.h"

// The system could not provide the object at all (no class registered under
// the identifier, no running object).
class EOleSysError : public Exception {
public:
    using Exception::Exception;
};
// A call reached a server and failed there: unknown member, refused value,
// wrong argument, or an object whose server has gone.
class EOleError : public Exception {
public:
    using Exception::Exception;
};
