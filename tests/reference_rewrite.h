// A small, obviously correct model of the response-file rewrite, written
// from the rule and nothing else, to check the real one against.
#pragma once

#include <string>

namespace launcher::testing {

// The bytes the response file must hold after a rewrite of `input` with
// `programFilesDir`. A file holding a NUL byte is left as it is.
std::string ReferenceRewrite(const std::string& input, const std::string& programFilesDir);

}  // namespace launcher::testing
