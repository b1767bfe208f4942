// The tool's console: UTF-8 text whatever width log4cplus was built with, and
// raw bytes left as they are on Windows.
#pragma once

#include <log4cplus/tstring.h>

#include <string>

namespace gpenc::tool {

std::string Utf8(const log4cplus::tstring& text);
log4cplus::tstring LogText(const std::string& utf8);

// Standard input and output in binary mode (Windows would turn 0a into 0d 0a),
// and wide output to the standard streams (a wide log4cplus's console appender)
// written as UTF-8 rather than through the C library's locale.
void PrepareConsole();

}  // namespace gpenc::tool
