// Another process for the tests: tries to open the archive given as its one
// argument, closes it again, and exits with the open's status code.
#include "torvane.h"

int main(int argc, char** argv) {
  if (argc != 2) return 100;
  const int status = IMGOpen(argv[1]);
  IMGClose();
  return status;
}
