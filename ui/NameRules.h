#pragma once

#include <QString>

// Rules for the names and texts a user types into the catalogue. Class and member
// names become C# identifiers and SQL Server column and table names, project names
// become folder names, and every text ends up in GBK files.
namespace NameRules {

extern const char* const kClassNameCharsMessage;
extern const char* const kMemberNameCharsMessage;
extern const char* const kProjectNameMessage;
extern const char* const kGbkMessage;

// The first character is an ASCII capital (A to Z) / small letter (a to z).
bool StartsWithUpperAscii(const QString& name);
bool StartsWithLowerAscii(const QString& name);

// Every character after the first is an ASCII letter, digit or underscore, and the
// whole name is not a reserved C# keyword.
bool HasIdentifierTail(const QString& name);
bool IsCSharpKeyword(const QString& name);

// A project name is safe as a folder name: none of \ / : * ? " < > |, no control
// character, not "." or "..", and no blank at either end.
bool IsSafeProjectName(const QString& name);

// Every character has a GBK form.
bool CanEncodeGbk(const QString& text);

// A whole number as typed: optional sign and decimal digits, nothing else, within int.
bool ParseWholeNumber(const QString& text, int& value);

}  // namespace NameRules
