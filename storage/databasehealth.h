#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Whether an open history database can keep records: it reads as SQLite,
// both tables have every column the program uses (found by name, in any
// order), and a record can be written to each (the write is rolled back).
namespace DatabaseHealth {

// The columns of AQ7316 and AQ7316IN, in the order of the record's fields.
const QStringList &columns();

// "select id, date, ... from <table>": the fields by name, whatever order the
// file's columns are in.
QString selectAllFrom(const QString &table);

// Why db cannot keep records, as a short sentence for the user (translated in
// the "SystemLogManager" context); empty when it can. db must be open. A
// database that another program holds locked just now counts as usable.
QString problemWith(const QSqlDatabase &db);

} // namespace DatabaseHealth
