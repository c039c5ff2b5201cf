#include <iostream>

#include "converters/converter_cli.h"

int main(int argc, char** argv) {
  return vsm::vrk::RunTextToVrk({argv + (argc > 0 ? 1 : 0), argv + argc}, std::cerr);
}
