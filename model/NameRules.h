#pragma once

#include <string>

// Rules for the names and texts of the catalogue. Class and member names become C# identifiers, SQL Server
// table and column names and file names; project names become folder names; every text ends up in GBK files
// and inside C# comments. The dialogs, the project commands and the project checker all ask these functions,
// so a rule is written once. Texts are UTF-8.
//
// Each ...Problem function returns the message that says what is wrong, or an empty string when the value
// passes.
namespace NameRules {

extern const char* const kClassFirstLetterMessage;
extern const char* const kMemberFirstLetterMessage;
extern const char* const kClassNameCharsMessage;
extern const char* const kMemberNameCharsMessage;
extern const char* const kSqlKeywordMessage;
extern const char* const kGeneratedNameMessage;
extern const char* const kMemberLikeClassMessage;
extern const char* const kProjectNameEmptyMessage;
extern const char* const kProjectNameMessage;
extern const char* const kProjectNameTakenMessage;
extern const char* const kClassNameTakenMessage;
extern const char* const kMemberNameTakenMessage;
extern const char* const kUtf8Message;
extern const char* const kGbkMessage;
extern const char* const kCommentEndMessage;
extern const char* const kControlCharacterMessage;
extern const char* const kNameLengthMessage;
extern const char* const kStringLengthMessage;

inline constexpr int kMaxStringLength = 8000;
// The longest class or member name: what SQL Server takes as a table or column name.
inline constexpr std::size_t kMaxNameLength = 128;

// The first character is an ASCII capital (A to Z) / small letter (a to z). The dialogs ask this of new
// names; catalogues made elsewhere may hold either, and the generators accept both.
bool StartsWithUpperAscii(const std::string& name);
bool StartsWithLowerAscii(const std::string& name);

// An ASCII letter followed by ASCII letters, digits and underscores.
bool IsIdentifier(const std::string& name);
// Every character after the first is an ASCII letter, digit or underscore.
bool HasIdentifierTail(const std::string& name);
// A reserved C# keyword (C# compares case-sensitively).
bool IsCSharpKeyword(const std::string& name);
// A reserved Transact-SQL keyword, without regard to case.
bool IsSqlKeyword(const std::string& name);
// A name the generated and template code uses for its own types and namespaces, without regard to case.
bool IsGeneratedCodeName(const std::string& name);

// Equal without regard to ASCII case, as the catalogue's class lookups and SQL Server names compare.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// Well-formed UTF-8 (no stray or overlong bytes, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(const std::string& text);
// Every character has a GBK form.
bool CanEncodeGbk(const std::string& text);

// The name as it can be shown in a message: bytes that are not UTF-8 and control characters appear as
// \xNN escapes, so a hostile name cannot smuggle raw bytes or line breaks into what the user reads.
std::string Printable(const std::string& name);

// A class name as the window asks for it: first letter a capital, an identifier of at most kMaxNameLength
// characters, no C# or T-SQL keyword, no name of the generated code. `checkCase` false leaves out the capital (catalogues made elsewhere).
std::string ClassNameProblem(const std::string& className, bool checkCase = true);
// A member name likewise (first letter small), and not exactly its class's name (C# refuses a member named
// like its enclosing type).
std::string MemberNameProblem(const std::string& memberName, const std::string& className, bool checkCase = true);
// A project name as a folder name: not empty, valid UTF-8, none of \ / : * ? " < > |, no control character
// (NUL included), not "." or "..", no blank at either end, and GBK text.
std::string ProjectNameProblem(const std::string& projectName);
// A friendly name or member comment: valid UTF-8, no control character (HasControlCharacter: a line break
// would end the // comment or the line the text is written into), GBK text, and no "*/" (it would end the
// C# comment the text is written into).
std::string TextProblem(const std::string& text);
// The length of a string member: 1 to 8000, what SQL Server's varchar allows.
std::string StringLengthProblem(int length);

// A whole number as typed: optional sign and decimal digits, nothing else, within int.
bool ParseWholeNumber(const std::string& text, int& value);

// The text on one line: each run of control characters (C0 but TAB, DEL, U+0085, U+2028, U+2029) becomes
// one blank, so no catalogue text can end a comment or a line of generated code early.
std::string FoldControls(const std::string& text);

// True when the text holds a character FoldControls folds: C0 but TAB (NUL included), DEL, U+0085, U+2028,
// U+2029.
bool HasControlCharacter(const std::string& text);

// A catalogue text (friendly name, comment) as every generator writes it into C#, SQL or markup: control
// characters folded (FoldControls) and each "*/" written "* /", so the text can end neither a line, a //
// comment nor a /* */ comment early, whatever the checker let through. Text the checker passes comes out
// unchanged.
std::string CommentText(const std::string& text);

}  // namespace NameRules
