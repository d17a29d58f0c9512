#include <iostream>

#include "cli/qvmctl.h"

int main(int argc, char** argv) {
  return qvm::cli::RunQvmctl(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
