/* Writes one text entry into tessel's profile store (scope 2):
 *   host-entry SECTION NAME VALUE */
#include <tessel/qrtl.h>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  return QRTLWriteProfileEntry(argv[1], argv[2], argv[3], 2) == QRTL_SUCCESS ? 0 : 1;
}
