/* A program built against an installed tessel with the usual commands. */
#include <stdio.h>
#include <tessel/qtl.h>

int main(void) {
  if (QRTLWriteProfileInt("Client", "Answer", 42, 1) != QRTL_SUCCESS) return 1;
  printf("%s|%s|%d\n", QTLErrToString(QTLERR_NOT_BOUND, QTL_TEXT_MESSAGE),
         QRTLErrToString(QRTL_SUCCESS, QRTL_TEXT_NAME), QRTLGetProfileInt("Client", "Answer", 0, 1));
  return 0;
}
