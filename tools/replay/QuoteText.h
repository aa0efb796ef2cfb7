#pragma once
#include <QString>

// Text inside double quotes: backslash, quote, CR and LF escaped.
QString QuoteText(const QString& s);
