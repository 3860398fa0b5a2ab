#pragma once

namespace scenario::tool {

// On Windows, when the standard output or error is a console, the tool's
// UTF-8 text goes to it through the console's wide-character interface, so
// that every letter shows whatever the console's code page; redirected to a
// file or a pipe, the streams keep writing UTF-8 bytes. Elsewhere it does
// nothing.
void use_console_wide_output();

}  // namespace scenario::tool
