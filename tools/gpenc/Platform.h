// What differs between the tool's platforms: UTF-8 console text whatever width
// log4cplus was built with, raw bytes left as they are on Windows, and where the
// running program is.
#pragma once

#include <log4cplus/tstring.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace gpenc::tool {

std::string Utf8(const log4cplus::tstring& text);
log4cplus::tstring LogText(const std::string& utf8);

// Standard input and output in binary mode (Windows would turn 0a into 0d 0a),
// and wide output to the standard streams (a wide log4cplus's console appender)
// written as UTF-8 rather than through the C library's locale.
void PrepareConsole();

// The path of the running program; `ec` set when it cannot be told.
std::filesystem::path ExecutablePath(std::error_code& ec);

}  // namespace gpenc::tool
