#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/TolvaneVantrelMain.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return vantrel::runTolvaneVantrel(arguments, std::cout, std::cerr, std::getenv("DISPLAY"));
}
