// The code page of a request's texts: `gpenc --code-page` converts every JSON
// text of a request into it before the library sees the request.
#pragma once

#include "Request.h"

#include "gpenc/Inspect.h"

namespace gpenc::tool {

// The code page `name` names; InputError naming --code-page when there is none.
inspect::CodePage FindCodePage(const std::string& name);

// Every text in `request` (members and list items, at any depth) in `page`.
// InputError naming the field of the first character the page cannot carry.
void ToCodePage(Json& request, const inspect::CodePage& page, const std::string& where = "");

}  // namespace gpenc::tool
