#pragma once
#include <QString>

// What an English error text says about a file: where it is and why the
// system refused it.
namespace FileError {

// `name` as an absolute, clean path. A relative name is taken against the
// current folder even when that folder has been removed meanwhile (the name
// the kernel still keeps for it), where asking Qt gives no folder at all.
QString AbsolutePath(const QString& name);

// The system's reason for `err` (an errno value) in English whatever the
// locale ("No such file or directory"): the English text is for a reader of
// English, and the locale's strerror would be German under de_DE.
QString Reason(int err);

} // namespace FileError
