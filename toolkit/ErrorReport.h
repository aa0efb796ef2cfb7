#pragma once
// Where an error raised by an event handler is reported. The lowest layer
// only knows that someone may listen; the application installs the message
// box at start-up (TApplication), so that nothing here calls up into it.
#include <exception>

namespace ErrorReport {

using Reporter = void (*)(const std::exception& e);

// Installs `reporter` (nullptr for none) and gives back the one before.
Reporter SetReporter(Reporter reporter);

// Hands `e` to the installed reporter; with none, writes it to stderr.
void Report(const std::exception& e);

} // namespace ErrorReport
