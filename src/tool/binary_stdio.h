#pragma once

namespace scenario::tool {

// Standard input and output pass bytes as they are: no line-end translation
// (which Windows does to text streams), as a protocol with byte counts needs.
void use_binary_stdio();

}  // namespace scenario::tool
