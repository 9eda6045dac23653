/* Linkage shared by both families of the tessel interface. */
#ifndef TESSEL_API_H
#define TESSEL_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define TESSEL_BEGIN_DECLS extern "C" {
#define TESSEL_END_DECLS }
#else
#define TESSEL_BEGIN_DECLS
#define TESSEL_END_DECLS
#endif

/* The library is built with hidden visibility; only these names leave it. */
#define TESSEL_API __attribute__((visibility("default")))

#endif /* TESSEL_API_H */
