/* The entry points the host looks up by name when it loads the module. */
#ifndef KALO_QLI_ENTRY_POINTS_H
#define KALO_QLI_ENTRY_POINTS_H

#include <stdint.h>

#include <kalo_qli/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The record QueryQLFcnTable_kalo_qli returns: four 64-bit slots. */
typedef struct kalo_qli_fcn_table {
  const char* functionNames; /* empty: the module exports no plain functions */
  uint64_t buildNumber1;
  uint64_t buildNumber2;
  uint64_t reserved; /* zero */
} kalo_qli_fcn_table;

/* Registers the package "kaloimport" with the host. */
KALO_QLI_API void QLInitialize_kalo_qli(void);
KALO_QLI_API void QLTerminate_kalo_qli(void);
KALO_QLI_API const kalo_qli_fcn_table* QueryQLFcnTable_kalo_qli(void);

#ifdef __cplusplus
}
#endif

#endif /* KALO_QLI_ENTRY_POINTS_H */
