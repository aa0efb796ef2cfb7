#pragma once
#include "Variant.h"

#include <QString>

// The spreadsheet export's dealings with the application's workbooks, kept
// apart from ExcelUtil.h so that users of the grid do not get the automation
// types.

// True when no open workbook of the application has the name, and no sheet
// of `book` (when given) has it either.
bool WorkbookNameFree(const TVariant& app, const QString& name, const TVariant& book = {});
// Undoes an export: quits an application the export started, or else closes
// the workbook it added (`book`, when given) with the alerts off, and turns
// the alerts back to what they were.
void ReleaseExcel(const TVariant& app, bool started, const TVariant& book = {});
