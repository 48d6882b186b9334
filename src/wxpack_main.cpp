// wxpack: writes sounding archives and imports real soundings into them.
#include "commands/wxpack.h"

int main(int argc, char** argv) {
  return wxfetch::run_wxpack(argc, argv);
}
