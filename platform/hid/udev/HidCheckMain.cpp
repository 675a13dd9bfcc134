#include <iostream>
#include <string>
#include <vector>

#include "platform/hid/udev/HidCheck.h"

int main(int argc, char** argv) {
  return hid::RunHidCheck(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
