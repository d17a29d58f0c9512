#pragma once

#include <iosfwd>
#include <string>

namespace qvm::cli {

// Lists the attached bridge boards (the simulated one with a chain text); 1 when none is found.
int RunBoards(const std::string& simChain, std::ostream& out, std::ostream& err);

}  // namespace qvm::cli
