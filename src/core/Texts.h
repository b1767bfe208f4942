// The Chinese texts of the library's log records, the only texts outside ASCII
// in its sources, all here.
#pragma once

// Each is written as its UTF-8 bytes in \x escapes, so that the sources are
// ASCII and the records the same bytes whatever character sets the compiler
// assumes for the source files and for narrow literals (Visual C++ without
// /utf-8 on a Chinese system reads a file as code page 936 and converts its
// literals to it). A record reaches a wide log4cplus through the library's own
// UTF-8 decoder (Log.cpp), never the compiler's. The tests' expected records
// show the texts readable. A hex escape takes every hex digit after it, so a
// literal is split where a digit follows one ("\x90" "808").
namespace gpenc::detail::texts {

// The marks of the entry and exit records, after "(name" and a close bracket:
// " start>>>>>" and " end<<<<<".
inline constexpr char kEnter[] = " \xe5\xbc\x80\xe5\xa7\x8b>>>>>";
inline constexpr char kExit[] = " \xe7\xbb\x93\xe6\x9d\x9f<<<<<";
// " end>>>>>": the exit mark of the JT/T 808 encoder's operations that close
// their name with kFullWidthClose.
inline constexpr char kExitMarked[] = " \xe7\xbb\x93\xe6\x9d\x9f>>>>>";
// The full-width closing parenthesis (U+FF09) those operations close their name with.
inline constexpr char kFullWidthClose[] = "\xef\xbc\x89";

// "run failed": an operation's failure record.
inline constexpr char kRunFailed[] = "\xe8\xbf\x90\xe8\xa1\x8c\xe5\xa4\xb1\xe8\xb4\xa5";
// kFullWidthClose, then kRunFailed: a list lost to a caught exception.
inline constexpr char kFullWidthRunFailed[] = "\xef\xbc\x89\xe8\xbf\x90\xe8\xa1\x8c\xe5\xa4\xb1\xe8\xb4\xa5";
// "run failed, the error message is: ", which the exception's message follows.
inline constexpr char kRunFailedMessage[] =
    "\xe8\xbf\x90\xe8\xa1\x8c\xe5\xa4\xb1\xe8\xb4\xa5,\xe9\x94\x99\xe8\xaf\xaf\xe4\xbf\xa1\xe6\x81\xaf\xe4\xb8\xba: ";

// ") generating 808 data, start<<<<<" and "... end<<<<<": the records around
// the JT/T 808 message of a tunnelled setting.
inline constexpr char kBuild808Begin[] =
    ") \xe7\x94\x9f\xe6\x88\x90"
    "808\xe6\x95\xb0\xe6\x8d\xae\xe5\xbc\x80\xe5\xa7\x8b<<<<<";
inline constexpr char kBuild808End[] =
    ") \xe7\x94\x9f\xe6\x88\x90"
    "808\xe6\x95\xb0\xe6\x8d\xae\xe7\xbb\x93\xe6\x9d\x9f<<<<<";
// ")interpreting 808 failed": the JT/T 808 encoder refused the setting.
inline constexpr char kNot808Encoded[] =
    ")\xe8\xa7\xa3\xe9\x87\x8a"
    "808\xe5\xa4\xb1\xe8\xb4\xa5";

// ")the target string is empty.": the text step refuses an empty text.
inline constexpr char kEmptyText[] =
    ")\xe7\x9b\xae\xe6\xa0\x87\xe5\xad\x97\xe7\xac\xa6\xe4\xb8\xb2\xe4\xb8\xba\xe7\xa9\xba\xe3\x80\x82";
// "(the string to convert is paraStr= ", "(UInt16 number key= " and "(UInt32
// number key= ": the contexts a caught exception's message is logged with,
// followed by the value.
inline constexpr char kParaStrContext[] =
    "(\xe8\xa6\x81\xe8\xbd\xac\xe6\x8d\xa2\xe7\x9a\x84\xe5\xad\x97\xe7\xac\xa6\xe4\xb8\xb2\xe4\xb8\xbaparaStr= ";
inline constexpr char kUInt16Context[] = "(UInt16\xe6\x95\xb0\xe5\xad\x97key= ";
inline constexpr char kUInt32Context[] = "(UInt32\xe6\x95\xb0\xe5\xad\x97key= ";
// ")16 (hexadecimal) met an illegal character:", followed by the text.
inline constexpr char kBadHexText[] =
    ")16\xe8\xbf\x9b\xe5\x88\xb6\xe9\x81\x87\xe5\x88\xb0\xe9\x9d\x9e\xe6\xb3\x95\xe5\xad\x97\xe7\xac\xa6:";

// The JT/T 808 encoder's refusals: " the data passed in is wrong>>>>>" (an
// empty list), " check failed>>>>>", "setting the information failed" and
// "getting the information failed" (a message that could not be staged or
// serialised).
inline constexpr char kBadArguments[] =
    " \xe4\xbc\xa0\xe5\x85\xa5\xe5\x8f\x82\xe6\x95\xb0\xe6\x95\xb0\xe6\x8d\xae\xe9\x94\x99\xe8\xaf\xaf>>>>>";
inline constexpr char kCheckFailed[] = " \xe6\xa0\xa1\xe9\xaa\x8c\xe5\xa4\xb1\xe8\xb4\xa5>>>>>";
inline constexpr char kSetInfoFailed[] = "\xe8\xae\xbe\xe7\xbd\xae\xe4\xbf\xa1\xe6\x81\xaf\xe5\xa4\xb1\xe8\xb4\xa5";
inline constexpr char kGetInfoFailed[] = "\xe5\xbe\x97\xe5\x88\xb0\xe4\xbf\xa1\xe6\x81\xaf\xe5\xa4\xb1\xe8\xb4\xa5";

}  // namespace gpenc::detail::texts
