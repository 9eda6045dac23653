/* A program linked against libtessel.a. The transport layer comes up only
   when the library's start ran, as loading the shared library runs it. */
#include <stdio.h>
#include <tessel/qtl.h>

int main(void) {
  const int32_t status = QTLInit(QTL_PROTO_UDP);
  printf("%s\n", QTLErrToString(status, QTL_TEXT_NAME));
  if (status == QTL_SUCCESS) QTLCleanup(QTL_PROTO_UDP);
  return status == QTL_SUCCESS ? 0 : 1;
}
