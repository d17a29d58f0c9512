#pragma once

#include <iosfwd>
#include <string>

namespace qvm::cli {

// Lists the attached bridge boards (the simulated one with a chain text), as text or as a JSON
// array; 1 when none is found.
int RunBoards(const std::string& simChain, bool json, std::ostream& out, std::ostream& err);

}  // namespace qvm::cli
