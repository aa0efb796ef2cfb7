#pragma once
#include "Errors.h"

// An invalid axis setting; the setting keeps its old value.
class AxisException : public Exception {
public:
    using Exception::Exception;
};
// An invalid chart setting; the setting keeps its old value.
class ChartException : public Exception {
public:
    using Exception::Exception;
};
